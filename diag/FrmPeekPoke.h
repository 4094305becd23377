#pragma once
// Peek and poke: sets, steps and shows the monitor controller's peek/poke address register, and reads or
// writes a byte, a word or a character there. Values are hexadecimal texts sent as typed.
#include "diag/DiagnosticWindow.h"
#include "protocol/DiagnosticHandlers.h"

class FrmPeekPoke : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmPeekPoke(AppContext& ctx, QWidget* parent = nullptr);

    void addressUp();
    void addressDown();
    // The address register or a value the monitor read, in its box.
    void showMemory(DiagnosticHandlers::MemoryField field, const QString& text);
};
