// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>

#include "display/picker_choice.h"

class QEvent;
class QFrame;
class QLabel;
class QListWidget;
class TForm1;

// The six settings pickers over the RLCD screen: clicking an indicator opens
// its list, sized to its items; clicking an item changes the record, the
// indicator, sends the record to the meter and closes the picker. Decoding
// stays paused while a picker is in use so the meter's reports cannot rewrite
// what is under the user's pointer.
class PickerControl : public QObject {
    Q_OBJECT

  public:
    PickerControl(TForm1& form, QObject* parent);
    // The picker lists were built: their clicks and pointer moves come here.
    void ListsBuilt();

    // Openers.
    void L_freq_RLCClick();
    void L_Level_RLCClick();
    void L_Prim_nClick();  // L_Prim_RLC and L_RLC_avto
    void L_Sec_RLCClick();
    void L_SER_PERClick();  // L_SER_PER and L_SER_PER1
    void L_Source_RLCClick();

    // Choices: the list's current item.
    void ListBox_freq_RLCClick();
    void ListBox_Level_RLCClick();
    void ListBox_prim_RLCClick();
    void ListBox_sec_RLCClick();
    void ListBox_ser_perClick();
    void ListBox_Source_RLCClick();

    void ClosePickers();
    // Whether a picker's list is showing (decoding is paused for it).
    bool AnyOpen() const;
    // Pointer onto a display screen: closes the pickers and disarms the RLCD
    // screen's own enter action until the frequency list is entered again.
    void Panel_RLCDMouseEnter();
    void ListBox_freq_RLCMouseEnter() { rlcdEnterArmed_ = true; }
    bool RlcdEnterArmed() const { return rlcdEnterArmed_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::array<QListWidget*, 6> Lists() const;
    void Open(QFrame* panel, QListWidget* list);
    void Choose(display::TPicker picker, const QListWidget* list);
    void HideLists();
    bool OpenerClicked(QObject* watched);
    bool ListLeft(QObject* watched);
    void Hover(QObject* watched, bool raised);

    TForm1& form_;
    bool rlcdEnterArmed_ = true;
};
