// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// Makes the control's texts fit: its font goes down a pixel at a time from
// its design size, to half of it at most; once the texts are shorter again it
// grows back. The design size is the font size it had at the first call.
void FitText(QWidget* w);

// FitText for `root` and every control inside it.
void FitTexts(QWidget* root);

}  // namespace widgets
