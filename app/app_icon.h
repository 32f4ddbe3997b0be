#pragma once
// The program's icon: a sheet cut into numbered pieces.

#include <QIcon>

namespace kv {

QIcon KolvantoIcon();

}  // namespace kv
