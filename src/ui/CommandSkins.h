#pragma once
// The six 64 x 25 skin pictures of the Command button, drawn once on first use.
// Only the outer four pixels of each are ever shown.

#include <QColor>
#include <QImage>

#include "forms/CommandCore.h"

namespace korvane::ui {

const QImage& SkinImage(CommandSkin skin);

// 0x00BBGGRR to a Qt colour.
QColor ColorFromBgr(std::uint32_t bgr);

}  // namespace korvane::ui
