#include "platform/gui/ControlTable.h"

#include <cstdlib>

namespace {

using enum ControlKind;

const ControlLayout kControls[] = {
    {ControlId::透明标签1, "透明标签1", TransparentLabel, 585, 96, 258, 24,
     "客服: help@vantrel.example", 12},
    {ControlId::图片框4, "图片框4", PictureBox, 19, 26, 80, 80, "", 0},
    {ControlId::透明标签12, "透明标签12", TransparentLabel, 112, 28, 73, 32, "快递单号:", 16},
    {ControlId::透明标签13, "透明标签13", TransparentLabel, 110, 67, 74, 32, "快递公司:", 16},
    {ControlId::透明标签14, "透明标签14", TransparentLabel, 209, 71, 343, 23, "等待查询...", 16},
    {ControlId::编辑框3, "编辑框3", EditBox, 199, 31, 344, 26, "", 12, 0x000000, 0xFFFFFF},
    {ControlId::按钮_查询1, "按钮_查询1", PushButton, 576, 31, 64, 26, "查询", 0},
    {ControlId::编辑框_日志1, "编辑框_日志1", MultiLineEditBox, 0, 120, 752, 300, "", 12, 0xFFFFFF,
     0x808080},
    {ControlId::编辑框4, "编辑框4", EditBox, 656, 176, 32, 8, "", 0},
};

}  // namespace

std::span<const ControlLayout> WindowControlTable() {
  return kControls;
}

const ControlLayout& FindControlSpec(ControlId id) {
  for (const ControlLayout& layout : kControls) {
    if (layout.id == id)
      return layout;
  }
  std::abort();  // every ControlId has a row
}
