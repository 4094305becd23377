#pragma once
// How a monitor is connected: running its firmware, halted in its boot block, absent, or simulated for
// demonstration.
enum class ConnectionState { Online, BootMode, NoMonitor, Demo };
