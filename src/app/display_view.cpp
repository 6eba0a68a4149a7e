// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_view.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>

#include "app/main.h"
#include "app/settings_controller.h"
#include "app/text_fit.h"
#include "control/recording_control.h"
#include "control/sweep_control.h"

namespace {

const QColor kRejectColour(255, 0, 0);

void SetControlText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() == text) return;
        label->setText(text);
        // A reading wider than its place is drawn smaller.
        widgets::FitText(label);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Setting an edit's text resets its cursor and selection even when equal.
        if (edit->text() != text) edit->setText(text);
    }
}

void SelectRow(QListWidget* list, int row) {
    if (list->currentRow() != row) list->setCurrentRow(row);
}

// The model's lists: items from `first` to `keep` are rewritten in place, the
// items from `keep` on are deleted and appended again. Deleting the selected
// item drops the selection; Qt would move it to a neighbour instead. Items
// already right are left alone, so the selection and scroll position stay put.
void RebuildItems(QListWidget* list, int first, int keep, const std::vector<std::string>& items) {
    const int wanted = first + static_cast<int>(items.size());
    auto itemText = [&](int row) {
        return QString::fromStdString(items[static_cast<std::size_t>(row - first)]);
    };
    for (int row = first; row < keep && row < wanted && row < list->count(); ++row)
        if (const QString text = itemText(row); list->item(row)->text() != text)
            list->item(row)->setText(text);
    bool same = list->count() == wanted;
    for (int row = keep; same && row < wanted; ++row)
        same = list->item(row)->text() == itemText(row);
    if (same) return;
    if (list->currentRow() >= keep) list->setCurrentRow(-1);
    while (list->count() > keep) {
        const std::unique_ptr<QListWidgetItem> taken(list->takeItem(list->count() - 1));
    }
    for (int row = list->count(); row < wanted; ++row) list->addItem(itemText(row));
}

}  // namespace

void DisplayView::Start() {
    display::TScreenState& screen = form_.screen;
    screen.SetProfileEditing(form_.SB4->isChecked());
    // The defaults set the toggles that mirror the record (sound on), too.
    ApplyButtons(screen.Start(screen.State().Model).buttons);
    ApplyAllTexts();
    SyncPickers();
}

void DisplayView::ApplyTexts(const std::vector<std::string>& controls) {
    for (const std::string& name : controls)
        if (const auto control = display::ControlByName(name)) ApplyText(*control);
}

void DisplayView::ApplyTexts(const std::vector<display::TControl>& controls) {
    for (display::TControl control : controls) ApplyText(control);
}

void DisplayView::ApplyText(display::TControl control) {
    QWidget* w = Control(control);
    if (const auto& text = form_.screen.Text(control); w && text)
        SetControlText(w, QString::fromStdString(*text));
}

QWidget* DisplayView::Control(display::TControl control) {
    if (!controlsFound_) {
        for (std::size_t i = 0; i < display::kControlCount; ++i)
            controls_[i] = form_.findChild<QWidget*>(
                QString::fromLatin1(display::ControlName(static_cast<display::TControl>(i))));
        controlsFound_ = true;
    }
    return controls_[static_cast<std::size_t>(control)];
}

void DisplayView::ApplyAllTexts() {
    for (std::size_t i = 0; i < display::kControlCount; ++i)
        ApplyText(static_cast<display::TControl>(i));
}

void DisplayView::ApplyModelLists(const display::TModelLists& lists) {
    form_.P16->setVisible(lists.P16_Visible);
    ApplyPickerLists(lists);
    ApplyText(display::TControl::L_Level_RLC);
    form_.L_Source_RLC->setVisible(lists.L_Source_RLC_Visible);
}

void DisplayView::ApplyPickerLists(const display::TModelLists& lists) {
    // Pickers not built yet take the lists when they are.
    if (!form_.PickersBuilt()) return;
    RebuildItems(form_.ListBox_freq_RLC, 6, 6, lists.frequencyItemsFrom6);
    RebuildItems(form_.ListBox_Level_RLC, 1, 3, lists.levelItemsFrom1);
}

void DisplayView::PickersBuilt() {
    if (const display::TModelLists* lists = form_.screen.CurrentModelLists())
        ApplyPickerLists(*lists);
    SyncPickers();
}

void DisplayView::ApplyButtons(const display::TSettingsButtons& buttons) {
    if (buttons.SP1_Enabled) form_.recording->AllowStart(*buttons.SP1_Enabled);
    form_.SP3->setChecked(buttons.SP3_Down);
    form_.SP2->setChecked(buttons.SP2_Down);
    if (buttons.CB1_ItemIndex) form_.CB1->setCurrentIndex(*buttons.CB1_ItemIndex);
}

void DisplayView::ShowPanel(display::TPanel panel) {
    form_.Panel_RLCD->setVisible(panel == display::TPanel::Rlcd);
    form_.Panel_RD->setVisible(panel == display::TPanel::Rd);
    form_.Panel_U->setVisible(panel == display::TPanel::U);
}

void DisplayView::SyncPickers() {
    if (!form_.PickersBuilt()) return;
    const protocol::TPickerSelection sel = protocol::PickerSelection(form_.screen.Settings());
    SelectRow(form_.ListBox_freq_RLC, sel.freq);
    SelectRow(form_.ListBox_prim_RLC, sel.prim);
    SelectRow(form_.ListBox_sec_RLC, sel.sec);
    SelectRow(form_.ListBox_Level_RLC, sel.level);
    SelectRow(form_.ListBox_ser_per, sel.circuit);
}

void DisplayView::ShowSettings() {
    form_.screen.SetProfileEditing(form_.SB4->isChecked());
    ApplyButtons(form_.screen.ShowSettingsNow().buttons);
    form_.screen.ShowCircuitNow();
    // The indicators only: readings stay as they are (cleared ones stay cleared).
    ApplyTexts({"L_RLC_avto", "L_freq_RLC", "L_Level_RLC", "L_Prim_RLC", "L_RQD_avto", "L_Sec_RLC",
                "L_SER_PER", "L_SER_PER1"});
}

void DisplayView::ClearReadings(std::initializer_list<const char*> controls) {
    for (const char* name : controls) {
        form_.screen.ClearText(name);
        if (const auto control = display::ControlByName(name))
            if (QWidget* w = Control(*control)) SetControlText(w, QString());
    }
}

void DisplayView::RefreshModelLists() {
    ApplyModelLists(form_.screen.RefreshModelListsNow());
}

void DisplayView::DecodeMeasurementFrame(std::span<const std::uint8_t> frame) {
    display::TScreenState& screen = form_.screen;
    screen.SetProfileEditing(form_.SB4->isChecked());
    screen.SetRecordingRunning(form_.SP1->isChecked());
    const display::TFrameOutcome out = screen.Feed(frame);
    if (!out.decode.accepted) return;
    const protocol::TFrameEffects& fx = out.decode.effects;

    if (fx.stopT34) form_.T34->stop();
    if (fx.startT34) form_.T34->start();
    form_.JP5->setVisible(fx.jp5Visible);
    if (fx.jp5Visible) {
        form_.JP5->setText(QString::fromStdString(fx.jp5Text));
        widgets::FitText(form_.JP5);
        form_.JP5->raise();
    }
    QRadioButton* radios[] = {form_.RB1, form_.RB2, form_.RB3, form_.RB4};
    const int radio = fx.modelRadioButton - 1;
    if (radio >= 0 && radio < 4) {
        // Only a button that was not checked yet runs its click handling; a
        // model code of 4..9 from the settings file leaves RB1 checked.
        const bool wasChecked = radios[radio]->isChecked();
        radios[radio]->setChecked(true);
        if (!wasChecked) {
            // The frame's lists were rebuilt before its screen ran; rebuilding
            // them again here would overwrite the level the screen just showed.
            if (out.modelLists)
                ApplyModelLists(*out.modelLists);
            else
                RefreshModelLists();
            form_.settingsController->SaveModel();
        }
    }
    form_.Button3->setVisible(fx.button3Visible);
    form_.SP4->setChecked(fx.sp4Down);
    if (!fx.screensUpdated) return;

    if (fx.restartT33) {
        form_.T33->stop();
        form_.T33->start();
    }
    // The lists change with the model or the language only; the model chooser
    // closes with every refresh.
    if (out.modelLists)
        ApplyModelLists(*out.modelLists);
    else if (out.modelListsRefreshed)
        form_.P16->hide();
    ApplyTexts(out.changedTexts);
    ShowPanel(screen.VisiblePanel());
    // Hold exists only on the RLCD screen, and a run keeps it off.
    form_.SP3->setEnabled(screen.Sp3Enabled() && !form_.SP1->isChecked());
    if (out.rlcd) {
        const display::TRlcScreen& s = out.rlcd->screen;
        // Only the RLC screen shows the verdict.
        if (s.Panel_RLCD_Red)
            form_.SetDisplayColour(form_.Panel_RLCD,
                                   *s.Panel_RLCD_Red ? kRejectColour : TForm1::kDisplayColour);
        ApplyButtons(out.rlcd->buttons);
        form_.L_Source_RLC->setVisible(screen.SourceVisible());
        SyncPickers();
        form_.recording->RlcFrameShown(out.rlcd->appendLogRow);
    }
    form_.sweep->FrameAccepted(out.rlcd.has_value());
    if (out.rd) {
        if (const auto image = screen.Image(); image && *image >= 0 && *image < 3)
            form_.Im_Diod->setPixmap(form_.ImList1[static_cast<std::size_t>(*image)]);
    }
}

void DisplayView::T33Timer() {
    form_.screen.ClearStaleReadings();
    form_.JP5->hide();
    ClearReadings(
        {"L_sec_n", "L_prim_n", "L_righ1", "L_righ2", "L_righ3", "L_righ4", "L_righ5", "L_righ6"});
}
