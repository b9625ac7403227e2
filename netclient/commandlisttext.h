#pragma once

#include <QString>

// The help text of the command list window: one block per Portd command code,
// a head line with the code, its explanation, an example request and its
// reply in fixed columns, the detail lines indented by level, and a line of
// "=" between blocks. Every line ends with CR LF.
namespace CommandListText {

QString text();

} // namespace CommandListText
