// The window's layout as data: the caption, the client size and every
// control with its kind, place, initial text, font and colours, in creation
// order (a later control lies above an earlier one).
#pragma once

#include <span>

#include "platform/gui/WindowControls.h"

enum class ControlKind { TransparentLabel, PictureBox, EditBox, MultiLineEditBox, PushButton };

// "微软雅黑" (UTF-8); mapped to an installed CJK font when it is missing.
inline constexpr const char* kWindowFontFamily = "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91";
inline constexpr const char* kWindowCaption = "Vantrel";
inline constexpr int kClientWidth = 752;
inline constexpr int kClientHeight = 420;

struct ControlLayout {
  ControlId id;
  const char* name;  // the form name, UTF-8
  ControlKind kind;
  int left, top, width, height;
  const char* initialText;  // UTF-8
  int fontPixels;           // 0: the default font
  int textRgb = -1;         // -1: the platform's colour
  int backRgb = -1;
};

std::span<const ControlLayout> WindowControlTable();
const ControlLayout& FindControlSpec(ControlId id);
