// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/picker_control.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <algorithm>
#include <array>
#include <utility>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"

PickerControl::PickerControl(TForm1& form, QObject* parent) : QObject(parent), form_(form) {
    for (QLabel* opener :
         {form_.L_freq_RLC, form_.L_Level_RLC, form_.L_Prim_RLC, form_.L_RLC_avto, form_.L_Sec_RLC,
          form_.L_SER_PER, form_.L_SER_PER1, form_.L_Source_RLC, form_.RD_prim_R, form_.RD_V})
        opener->installEventFilter(this);
    for (QFrame* panel : {form_.Panel_RLCD, form_.Panel_RD, form_.Panel_U})
        panel->installEventFilter(this);
    if (form_.PickersBuilt()) ListsBuilt();
}

void PickerControl::ListsBuilt() {
    for (QListWidget* list : Lists()) list->installEventFilter(this);
    auto onClick = [this](QListWidget* list, void (PickerControl::*handler)()) {
        connect(list, &QListWidget::itemClicked, this, [this, handler] { (this->*handler)(); });
    };
    onClick(form_.ListBox_freq_RLC, &PickerControl::ListBox_freq_RLCClick);
    onClick(form_.ListBox_Level_RLC, &PickerControl::ListBox_Level_RLCClick);
    onClick(form_.ListBox_prim_RLC, &PickerControl::ListBox_prim_RLCClick);
    onClick(form_.ListBox_sec_RLC, &PickerControl::ListBox_sec_RLCClick);
    onClick(form_.ListBox_ser_per, &PickerControl::ListBox_ser_perClick);
    onClick(form_.ListBox_Source_RLC, &PickerControl::ListBox_Source_RLCClick);
}

namespace {

// Sizes a picker to its items: they stand in columns of as many rows as the
// screen's height holds, every item whole and no scroll bar, and the panel
// stays on the screen.
void FitToItems(QFrame* panel, QListWidget* list) {
    QWidget* screen = panel->parentWidget();
    const auto* caption = panel->findChild<QLabel*>();
    const QLayout* box = panel->layout();
    if (!screen || !caption || !box || list->count() == 0) return;
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QSize cell(list->sizeHintForColumn(0) + 8, list->sizeHintForRow(0));
    list->setGridSize(cell);
    const QMargins m = box->contentsMargins();
    const int chrome = 2 * panel->frameWidth() + m.top() + m.bottom() +
                       caption->sizeHint().height() + box->spacing();
    const int fit =
        std::max(1, (screen->height() - chrome - 1 - 2 * list->frameWidth()) / cell.height());
    const int rows = std::min(fit, list->count());
    const int columns = (list->count() + rows - 1) / rows;
    // One pixel more: the list starts a new column when an item would end on
    // its last pixel row.
    const int listHeight = rows * cell.height() + 1 + 2 * list->frameWidth();
    list->setFixedSize(columns * cell.width() + 2 * list->frameWidth(), listHeight);
    const int width = std::max(list->width(), caption->sizeHint().width()) + m.left() + m.right() +
                      2 * panel->frameWidth();
    const int height = chrome + listHeight;
    // Where it was designed, moved left as far as needed to stay on the screen.
    const int x =
        std::clamp(panel->property("designedX").toInt(), 0, std::max(0, screen->width() - width));
    panel->setGeometry(x, 0, width, height);
}

}  // namespace

void PickerControl::Open(QFrame* panel, QListWidget* list) {
    if (!panel->property("designedX").isValid()) panel->setProperty("designedX", panel->x());
    FitToItems(panel, list);
    list->show();
    panel->show();
    panel->raise();
    form_.state.DecodePaused = 1;
}

void PickerControl::L_freq_RLCClick() {
    Open(form_.P_freq_RLC, form_.ListBox_freq_RLC);
}
void PickerControl::L_Level_RLCClick() {
    Open(form_.P_level_RLC, form_.ListBox_Level_RLC);
}
void PickerControl::L_Prim_nClick() {
    Open(form_.P_prim_RLC, form_.ListBox_prim_RLC);
}
void PickerControl::L_Sec_RLCClick() {
    Open(form_.P_sec_RLC, form_.ListBox_sec_RLC);
}
void PickerControl::L_SER_PERClick() {
    Open(form_.P_ser_per, form_.ListBox_ser_per);
}
void PickerControl::L_Source_RLCClick() {
    Open(form_.P_Source_RLC, form_.ListBox_Source_RLC);
}

void PickerControl::Choose(display::TPicker picker, const QListWidget* list) {
    const int index = list->currentRow();
    if (index < 0) return;  // a click beside the items chooses nothing
    form_.state.DecodePaused = 1;
    form_.view.ApplyTexts(form_.screen.ChoosePickerItem(picker, index));
    const bool sent = form_.connection->Commands().BuildSettingsCommand();
    // A choice closes the pickers. A sent command keeps decoding paused until
    // its own pause ends, so the meter's next report cannot undo the change.
    HideLists();
    if (!sent) form_.state.DecodePaused = 0;
}

void PickerControl::ListBox_freq_RLCClick() {
    Choose(display::TPicker::Frequency, form_.ListBox_freq_RLC);
}
void PickerControl::ListBox_Level_RLCClick() {
    Choose(display::TPicker::Level, form_.ListBox_Level_RLC);
}
void PickerControl::ListBox_prim_RLCClick() {
    Choose(display::TPicker::Primary, form_.ListBox_prim_RLC);
}
void PickerControl::ListBox_sec_RLCClick() {
    Choose(display::TPicker::Secondary, form_.ListBox_sec_RLC);
}
void PickerControl::ListBox_ser_perClick() {
    Choose(display::TPicker::Circuit, form_.ListBox_ser_per);
}
void PickerControl::ListBox_Source_RLCClick() {
    Choose(display::TPicker::Source, form_.ListBox_Source_RLC);
}

std::array<QListWidget*, 6> PickerControl::Lists() const {
    return {form_.ListBox_freq_RLC, form_.ListBox_Level_RLC, form_.ListBox_prim_RLC,
            form_.ListBox_sec_RLC,  form_.ListBox_ser_per,   form_.ListBox_Source_RLC};
}

void PickerControl::ClosePickers() {
    HideLists();
    form_.state.DecodePaused = 0;
}

void PickerControl::HideLists() {
    // Pickers never built were never opened.
    if (form_.PickersBuilt()) {
        const std::pair<QFrame*, QListWidget*> pickers[] = {
            {form_.P_Source_RLC, form_.ListBox_Source_RLC},
            {form_.P_prim_RLC, form_.ListBox_prim_RLC},
            {form_.P_ser_per, form_.ListBox_ser_per},
            {form_.P_sec_RLC, form_.ListBox_sec_RLC},
            {form_.P_level_RLC, form_.ListBox_Level_RLC},
            {form_.P_freq_RLC, form_.ListBox_freq_RLC}};
        for (const auto& [panel, list] : pickers) {
            panel->hide();
            list->hide();
        }
    }
}

bool PickerControl::AnyOpen() const {
    if (!form_.PickersBuilt()) return false;
    for (const QListWidget* list : Lists())
        if (list->isVisibleTo(list->window())) return true;
    return false;
}

void PickerControl::Panel_RLCDMouseEnter() {
    ClosePickers();
    rlcdEnterArmed_ = false;
}

bool PickerControl::OpenerClicked(QObject* watched) {
    if (watched == form_.L_freq_RLC)
        L_freq_RLCClick();
    else if (watched == form_.L_Level_RLC)
        L_Level_RLCClick();
    else if (watched == form_.L_Prim_RLC || watched == form_.L_RLC_avto)
        L_Prim_nClick();
    else if (watched == form_.L_Sec_RLC)
        L_Sec_RLCClick();
    else if (watched == form_.L_SER_PER || watched == form_.L_SER_PER1)
        L_SER_PERClick();
    else if (watched == form_.L_Source_RLC)
        L_Source_RLCClick();
    else
        return false;
    return true;
}

bool PickerControl::ListLeft(QObject* watched) {
    // The frequency list closes only when the pointer comes back onto the screen.
    if (watched == form_.ListBox_Level_RLC.IfBuilt() ||
        watched == form_.ListBox_prim_RLC.IfBuilt() || watched == form_.ListBox_sec_RLC.IfBuilt() ||
        watched == form_.ListBox_ser_per.IfBuilt() ||
        watched == form_.ListBox_Source_RLC.IfBuilt()) {
        ClosePickers();
        return true;
    }
    return false;
}

void PickerControl::Hover(QObject* watched, bool raised) {
    // The primary symbol's auto marker raises the symbol itself.
    QLabel* label = watched == form_.L_RLC_avto ? form_.L_Prim_RLC : qobject_cast<QLabel*>(watched);
    if (!label) return;
    label->setFrameStyle(raised ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
}

bool PickerControl::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && widget &&
                widget->rect().contains(mouse->position().toPoint()))
                OpenerClicked(watched);
            break;
        }
        case QEvent::Enter:
            if (watched == form_.Panel_RD || watched == form_.Panel_U ||
                (watched == form_.Panel_RLCD && rlcdEnterArmed_))
                Panel_RLCDMouseEnter();
            else if (watched == form_.ListBox_freq_RLC.IfBuilt())
                ListBox_freq_RLCMouseEnter();
            else if (qobject_cast<QLabel*>(watched))
                Hover(watched, true);
            break;
        case QEvent::Leave:
            if (!ListLeft(watched) && qobject_cast<QLabel*>(watched)) Hover(watched, false);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
