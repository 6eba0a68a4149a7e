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
#include "control/recording_control.h"

namespace {

const QColor kRejectColour(255, 0, 0);

void SetPanelColour(QFrame* panel, const QColor& colour) {
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
}

void SetControlText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
}

// Every frame rebuilds the model's lists; leave them alone when nothing changed,
// so the selection and scroll position stay put.
bool SameItemsFrom(const QListWidget* list, int first, const std::vector<std::string>& items) {
    if (list->count() != first + static_cast<int>(items.size())) return false;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (list->item(first + static_cast<int>(i))->text().toStdString() != items[i]) return false;
    return true;
}

void ReplaceItemsFrom(QListWidget* list, int first, const std::vector<std::string>& items) {
    if (SameItemsFrom(list, first, items)) return;
    while (list->count() > first) {
        const std::unique_ptr<QListWidgetItem> taken(list->takeItem(list->count() - 1));
    }
    for (const std::string& item : items) list->addItem(QString::fromStdString(item));
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
    for (const std::string& name : controls) {
        QWidget* w = Control(name);
        if (const auto text = form_.screen.Text(name); w && text)
            SetControlText(w, QString::fromStdString(*text));
    }
}

QWidget* DisplayView::Control(const std::string& name) {
    const QString key = QString::fromStdString(name);
    auto it = controls_.find(key);
    if (it == controls_.end()) it = controls_.insert(key, form_.findChild<QWidget*>(key));
    return it.value();
}

void DisplayView::ApplyAllTexts() {
    std::vector<std::string> names;
    for (const auto& [name, text] : form_.screen.Texts()) names.push_back(name);
    ApplyTexts(names);
}

void DisplayView::ApplyModelLists(const display::TModelLists& lists) {
    form_.P16->setVisible(lists.P16_Visible);
    ReplaceItemsFrom(form_.ListBox_freq_RLC, 6, lists.frequencyItemsFrom6);
    ReplaceItemsFrom(form_.ListBox_Level_RLC, 1, lists.levelItemsFrom1);
    form_.L_Level_RLC->setText(QString::fromStdString(lists.L_Level_RLC));
    form_.L_Source_RLC->setVisible(lists.L_Source_RLC_Visible);
}

void DisplayView::ApplyButtons(const display::TSettingsButtons& buttons) {
    if (buttons.SP1_Enabled) form_.SP1->setEnabled(*buttons.SP1_Enabled);
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
    const protocol::TPickerSelection sel = protocol::PickerSelection(form_.screen.Settings());
    form_.ListBox_freq_RLC->setCurrentRow(sel.freq);
    form_.ListBox_prim_RLC->setCurrentRow(sel.prim);
    form_.ListBox_sec_RLC->setCurrentRow(sel.sec);
    form_.ListBox_Level_RLC->setCurrentRow(sel.level);
    form_.ListBox_ser_per->setCurrentRow(sel.circuit);
}

void DisplayView::ShowSettings() {
    form_.screen.SetProfileEditing(form_.SB4->isChecked());
    ApplyButtons(form_.screen.ShowSettingsNow().buttons);
    form_.screen.ShowCircuitNow();
    ApplyAllTexts();
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
    if (out.modelLists) ApplyModelLists(*out.modelLists);
    ApplyTexts(out.changedTexts);
    ShowPanel(screen.VisiblePanel());
    // Hold exists only on the RLCD screen.
    form_.SP3->setEnabled(screen.Sp3Enabled());
    if (out.rlcd) {
        const display::TRlcScreen& s = out.rlcd->screen;
        // Only the RLC screen shows the verdict.
        if (s.Panel_RLCD_Red)
            SetPanelColour(form_.Panel_RLCD,
                           *s.Panel_RLCD_Red ? kRejectColour : TForm1::kDisplayColour);
        ApplyButtons(out.rlcd->buttons);
        form_.L_Source_RLC->setVisible(screen.SourceVisible());
        SyncPickers();
        form_.recording->RlcFrameShown(out.rlcd->appendLogRow);
    }
    if (out.rd) {
        if (const auto image = screen.Image(); image && *image >= 0 && *image < 3)
            form_.Im_Diod->setPixmap(form_.ImList1[static_cast<std::size_t>(*image)]);
    }
}

void DisplayView::T33Timer() {
    form_.screen.ClearStaleReadings();
    form_.JP5->hide();
    for (QLabel* l : {form_.L_sec_n, form_.L_prim_n, form_.L_righ1, form_.L_righ2, form_.L_righ3,
                      form_.L_righ4})
        l->clear();
    form_.L_righ5->clear();
    form_.L_righ6->clear();
}
