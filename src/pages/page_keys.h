#pragma once

#include <Qt>

namespace pages {

// Both Enter keys take a typed value over: the main one and the keypad's.
inline bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace pages
