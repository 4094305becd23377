#pragma once
// Where a value the monitor reports came from. Only a value of known origin may be saved in a data file, written
// back or sent: a cell nobody read, loaded or set holds the start value 0, which the monitor never said.
#include <QtGlobal>

enum class Origin : quint8 { Unknown, Read, Loaded, User };
