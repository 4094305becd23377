#pragma once
// Sets one of the send flags (suppressControlEvents) for the duration
// of a scope: an answer sets controls under it, and the flag is set back when the scope ends.

class FlagScope {
public:
    // The flag takes `during` now and `after` when the scope ends.
    FlagScope(bool& flag, bool during, bool after) : m_flag(flag), m_after(after) { m_flag = during; }
    // The flag takes `during` now and gets its present value back when the scope ends.
    FlagScope(bool& flag, bool during) : FlagScope(flag, during, flag) {}
    ~FlagScope() { m_flag = m_after; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_after;
};
