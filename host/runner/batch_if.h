// The conditions of `if`: comparisons, `exist`, `defined` and `errorlevel`.
#pragma once

#include "language/batch_parse.h"
#include "session/session.h"

namespace host {

// Expands the operands and tests the condition into `holds`. False when an expansion failed
// (reported, %_? set): then the `if` runs nothing.
bool TestCondition(Session& session, const Condition& condition, bool& holds);

// Compares two expanded operands: as numbers when both are whole decimal numbers (of any length,
// with an optional sign and leading zeros), else as text without regard to case. With
// `caseSensitive` (EQC) they compare as text, with regard to case.
bool Compare(std::u16string_view left, std::u16string_view right, CompareOp op, bool caseSensitive);

} // namespace host
