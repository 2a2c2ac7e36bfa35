// Message boxes with MessageBoxW.
#pragma once
#include <string>

#include "platform/Messages.h"

namespace tollervy::win32 {

class Win32Messages : public platform::Messages {
public:
    int Show(const std::string& text, const std::string& caption, unsigned style) override;
};

}  // namespace tollervy::win32
