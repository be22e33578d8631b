#include "common/port_name.h"

namespace weighlet {

std::wstring portName(int number) {
    return L"COM" + std::to_wstring(number);
}

} // namespace weighlet
