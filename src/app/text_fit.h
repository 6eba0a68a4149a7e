// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QFont;
class QWidget;

// Texts that do not fit their control with the font at hand (the window is
// laid out for Carlito; another font may run wider or taller) are drawn
// smaller instead of being cut off or running into their neighbours.
namespace widgets {

// Whether the control's texts fit its present size when drawn in `font`:
// a label's text, a button's caption, every item of a combo box, a spin box's
// value. Controls of other kinds, and labels in rich text, always fit.
bool TextFits(const QWidget* w, const QFont& font);

// The largest font size, from the widget's design size down to half of it,
// at which `fits` holds; once it holds at a larger size again the font grows
// back. The design size is the pixel size the font had at the first call.
void ShrinkToFit(QWidget* w, const std::function<bool(const QFont&)>& fits);

// Makes the control's texts fit (ShrinkToFit with TextFits).
void FitText(QWidget* w);

// FitText for `root` and every control inside it.
void FitTexts(QWidget* root);

}  // namespace widgets
