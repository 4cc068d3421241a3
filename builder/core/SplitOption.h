// The split option of the "Targetfilesize" tab: CheckBox1 "Split into several
// files", the radio group rgMaxSize ("720 Kb", "Other (Kb):", "1,44 Mb") and the
// field edMaxSize. It yields the maximum segment size handed to the archive
// component, which refuses sizes above 0 and below three blocks.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "builder/core/Colour.h"

namespace builder {

inline constexpr TColor kClWindow = kSystemColourFlag | 5;

enum SplitItem { siKb720 = 0, siOther = 1, siMb144 = 2 };

// A whole number as the field holds it: optional spaces around, an optional sign
// and decimal digits; none for anything else or beyond 64 bits.
std::optional<int64_t> ParseWholeNumber(const std::string& text);

// The segment size of an item: 737280, the field's number of Kb (a text that is no
// whole number counts 0) or 1474560. Sizes beyond 32 bits are clamped to it; a
// negative number gives 0.
int32_t MaxSegmentSizeFor(int item, const std::string& otherKb);

class TSplitOption {
 public:
  bool Checked() const { return checked_; }
  void CheckBox1Click(bool checked) { checked_ = checked; }
  // rgMaxSize and edMaxSize are enabled exactly when the box is checked.
  bool GroupEnabled() const { return checked_; }
  TColor EditColor() const { return checked_ ? kClWindow : kClBtnFace; }

  // No item is selected at start.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int item) { itemIndex_ = item; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text) { text_ = text; }

  // The size that a build uses now: the selected item's while the box is checked,
  // otherwise 0 (no splitting).
  int32_t EffectiveSize() const;

 private:
  bool checked_ = false;
  int itemIndex_ = -1;
  std::string text_;
};

}  // namespace builder
