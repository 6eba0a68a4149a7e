// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "display/screen_state.h"

class TForm1;
class QWidget;

// Puts the toolkit-free screen state onto the window's display widgets: frame
// by frame, on the watchdog tick, and after the settings record changed.
class DisplayView {
  public:
    explicit DisplayView(TForm1& form) : form_(form) {}

    // Start-up: defaults, indicators and picker selections on the widgets; the
    // model's lists follow with RefreshModelLists.
    void Start();
    void DecodeMeasurementFrame(std::span<const std::uint8_t> frame);
    void T33Timer();
    // After the record changed outside a frame (pickers, buttons, profile entry).
    void ShowSettings();
    void RefreshModelLists();
    void SyncPickers();
    // The pickers were just built: they get the model's lists and the record's
    // selections they would have had from the start.
    void PickersBuilt();
    // Puts the screen state's texts of these controls onto their widgets.
    void ApplyTexts(const std::vector<std::string>& controls);
    void ApplyTexts(const std::vector<display::TControl>& controls);
    // Empties these read-outs on the window and in the screen state alike, so
    // nothing re-shows them later.
    void ClearReadings(std::initializer_list<const char*> controls);

  private:
    void ApplyAllTexts();
    void ApplyModelLists(const display::TModelLists& lists);
    void ApplyPickerLists(const display::TModelLists& lists);
    void ApplyButtons(const display::TSettingsButtons& buttons);
    void ShowPanel(display::TPanel panel);
    void ApplyText(display::TControl control);
    QWidget* Control(display::TControl control);

    TForm1& form_;
    std::array<QWidget*, display::kControlCount> controls_{};  // looked up once
    bool controlsFound_ = false;
};
