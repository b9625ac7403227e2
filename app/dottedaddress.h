#pragma once

#include <QString>

#include <array>
#include <optional>

// Dotted address texts as the device, the PC's report and the forms' labels
// give them ("192.  9. 40.100", "10.0.0.1").
namespace DottedAddress {

// The four parts of a text split at its first three dots, as they stand (the
// last takes the rest); nothing when it has fewer than three dots.
std::optional<std::array<QString, 4>> split(const QString &text);

} // namespace DottedAddress
