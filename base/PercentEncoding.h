#pragma once
#include <string>
#include <string_view>

// The characters that percent-encoding never needs to touch besides ASCII
// letters and digits.
inline constexpr std::string_view kUnreservedMarks = "-._~";

// `bytes` with every byte but the ASCII letters, the digits and the
// characters in `kept` written as "%" and two capital hexadecimal digits.
std::string PercentEncode(std::string_view bytes, std::string_view kept = kUnreservedMarks);
