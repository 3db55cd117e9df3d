// The marker editor target's commands, numbered as it reads them from its
// input; the seed maker writes its command sequences with the same numbers.
#pragma once

#include <cstdint>

enum ECommand : uint8_t { Zero, Delete, Add, Edit, Undo, Redo, Reset, RemoveProprietary, ShowAll };
inline constexpr uint8_t kCommandCount = ShowAll + 1;
