#pragma once
// Texts inside the program are byte strings in code page 936 (GBK). They are converted to
// UTF-16 only where they cross into the operating system.
#include <string>

namespace platform {

using Text = std::string;

}  // namespace platform
