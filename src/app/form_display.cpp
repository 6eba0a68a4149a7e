// SPDX-License-Identifier: GPL-3.0-or-later
#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/diode_pictures.h"
#include "app/main.h"
#include "app/widget_factory.h"
#include "control/language_control.h"
#include "control/picker_control.h"

using widgets::Frame;
using widgets::Label;

namespace {

constexpr int kMemoWidth = 183;
constexpr int kSpacerWidth = 6;
constexpr int kBottomStrip = 2;

QLabel* Readout(QWidget* parent, const char* name, const QString& text, int pixels, QRect geometry,
                Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    QLabel* l = Label(parent, name, text, pixels);
    l->setGeometry(geometry);
    l->setAlignment(align);
    return l;
}

QFrame* DisplayPanel(QWidget* parent, const char* name) {
    QFrame* p = Frame(parent, name);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, TForm1::kDisplayColour);
    pal.setColor(QPalette::WindowText, Qt::black);
    p->setPalette(pal);
    widgets::SetPixelFont(p, 27);
    return p;
}

QLineEdit* SideEdit(QWidget* parent, const char* name, QRect geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFrame(false);
    e->setGeometry(geometry);
    e->setFocusPolicy(Qt::ClickFocus);
    QPalette see = e->palette();
    see.setColor(QPalette::Base, Qt::transparent);  // the display colour shows through
    e->setPalette(see);
    widgets::SetPixelFont(e, 19);
    return e;
}

}  // namespace

void TForm1::BuildDisplay(QWidget* parent) {
    Panel_RLCD = DisplayPanel(parent, "Panel_RLCD");
    Panel_RD = DisplayPanel(parent, "Panel_RD");
    Panel_U = DisplayPanel(parent, "Panel_U");
    Panel_RD->hide();
    Panel_U->hide();
    BuildRlcdPanel(Panel_RLCD);
    BuildRdPanel(Panel_RD);
    BuildUPanel(Panel_U);

    Memo1 = new QPlainTextEdit(parent);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setMaximumBlockCount(1000);  // a day of reconnects must not grow it without end
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    widgets::SetPixelFont(Memo1, 13, false);
    JvPanel6 = Frame(parent, "JvPanel6");
    JvPanel7 = Frame(parent, "JvPanel7");

    // Over all three panels: a sleeping meter is shown on every screen.
    JP5 = Readout(parent, "JP5", "", 40, QRect(150, 45, 220, 56), Qt::AlignCenter);
    JP5->setFrameShape(QFrame::Panel);
    JP5->setAutoFillBackground(true);
    JP5->hide();

    BuildModelChooser(parent);
    pickerParts.SetBuilder([this, parent] {
        BuildPickers(parent);
        // What they would have had, built with the window.
        if (pickers) pickers->ListsBuilt();
        if (language) language->TranslateNewControls();
        view.PickersBuilt();
    });
    parent->installEventFilter(this);
}

void TForm1::LayoutDisplay() {
    const int w = JvPanel3->width();
    const int h = JvPanel3->height() - kBottomStrip;
    const QRect display(0, 0, w - kSpacerWidth, h);
    for (QFrame* p : {Panel_RLCD, Panel_RD, Panel_U}) p->setGeometry(display);
    // A window wider than its design widens the connection log; the meter's
    // screen keeps its design.
    const int extra = std::max(0, width() - minimumWidth());
    const QRect memo(display.right() + 1 - kMemoWidth - extra, 0, kMemoWidth + extra, h);
    Memo1->setGeometry(memo);
    P16->setGeometry(memo);
    JvPanel6->setGeometry(display.right() + 1, 0, kSpacerWidth, h);
    JvPanel7->setGeometry(0, h, w, kBottomStrip);
}

void TForm1::BuildRlcdPanel(QFrame* p) {
    L_Level_RLC = Readout(p, "L_Level_RLC", "", 27, QRect(8, 2, 140, 30));
    L_Source_RLC = Readout(p, "L_Source_RLC", "", 27, QRect(150, 2, 118, 30));
    L_Source_RLC->hide();
    L_freq_RLC = Readout(p, "L_freq_RLC", "", 27, QRect(270, 2, 130, 30));
    L_Prim_RLC = Readout(p, "L_Prim_RLC", "", 60, QRect(8, 30, 44, 64));
    L_RLC_avto = Readout(p, "L_RLC_avto", "", 19, QRect(50, 32, 14, 22));
    L_prim_n =
        Readout(p, "L_prim_n", "", 60, QRect(60, 30, 320, 64), Qt::AlignRight | Qt::AlignVCenter);
    L_SER_PER1 = Readout(p, "L_SER_PER1", "", 19, QRect(384, 38, 18, 22));
    L_Sec_RLC = Readout(p, "L_Sec_RLC", "", 40, QRect(8, 98, 44, 46));
    L_RQD_avto = Readout(p, "L_RQD_avto", "A", 19, QRect(50, 100, 14, 22));
    L_sec_n =
        Readout(p, "L_sec_n", "", 40, QRect(60, 98, 320, 46), Qt::AlignRight | Qt::AlignVCenter);
    L_SER_PER = Readout(p, "L_SER_PER", "", 19, QRect(384, 106, 18, 22));
    QLabel** column[] = {&L_righ1, &L_righ2, &L_righ3, &L_righ4};
    const char* names[] = {"L_righ1", "L_righ2", "L_righ3", "L_righ4"};
    for (int i = 0; i < 4; ++i)
        *column[i] = Readout(p, names[i], "", 19, QRect(405, 34 + 28 * i, 170, 24));
    L_righ5 = SideEdit(p, "L_righ5", QRect(590, 34, 170, 24));
    L_righ6 = SideEdit(p, "L_righ6", QRect(590, 62, 170, 24));
    // The memo covers this column until the link is up.
    L_righ5->hide();
    L_righ6->hide();
}

void TForm1::BuildRdPanel(QFrame* p) {
    ImList1 = diode::Pictures();
    Im_Diod = Label(p, "Im_Diod", "");
    Im_Diod->setGeometry(8, 40, 60, 80);
    Im_Diod->setScaledContents(true);
    Im_Diod->setPixmap(ImList1[2]);
    RD_prim_R = Readout(p, "RD_prim_R", "", 60, QRect(76, 30, 50, 64));
    RD_Auto = Readout(p, "RD_Auto", "", 19, QRect(124, 32, 14, 22));
    RD_Prim =
        Readout(p, "RD_Prim", "", 60, QRect(140, 30, 320, 64), Qt::AlignRight | Qt::AlignVCenter);
    RD_V = Readout(p, "RD_V", "", 27, QRect(470, 2, 260, 30));
    J_prim = Readout(p, "J_prim", "", 40, QRect(480, 40, 16, 46));
    Joo = Readout(p, "Joo", "", 19, QRect(496, 62, 12, 22));
    RD_J = Readout(p, "RD_J", "", 40, QRect(508, 40, 276, 46));
    RD_J1 = Readout(p, "RD_J1", "", 27, QRect(480, 96, 300, 36));
}

void TForm1::BuildUPanel(QFrame* p) {
    U_Prim = Readout(p, "U_Prim", "", 60, QRect(8, 30, 420, 70), Qt::AlignRight | Qt::AlignVCenter);
    U_vrm = Readout(p, "U_vrm", "", 40, QRect(450, 20, 263, 40));
    U_pp = Readout(p, "U_pp", "", 40, QRect(450, 76, 263, 40));
}

void TForm1::BuildPickers(QWidget* parent) {
    struct PickerSpec {
        BuiltOnUse<QFrame>* panel;
        BuiltOnUse<QLabel>* caption;
        BuiltOnUse<QListWidget>* list;
        const char *panelName, *captionName, *listName;
        QString captionText;
        QStringList items;
        int x;
    };
    const PickerSpec specs[] = {
        {&P_freq_RLC,
         &SText_freq_RLC,
         &ListBox_freq_RLC,
         "P_freq_RLC",
         "SText_freq_RLC",
         "ListBox_freq_RLC",
         " Частота тестового сигнала",
         {"Автовыбор", "100 Гц", "120 Гц", "1кГц", "10кГц", "100кГц"},
         250},
        {&P_level_RLC,
         &SText_level_RLC,
         &ListBox_Level_RLC,
         "P_level_RLC",
         "SText_level_RLC",
         "ListBox_Level_RLC",
         " Уровень тестового сигнала",
         {"Автовыбор", " 1.0Вскз", " 0.5Вскз", " 0.1Вскз"},
         8},
        {&P_prim_RLC,
         &SText_prim_RLC,
         &ListBox_prim_RLC,
         "P_prim_RLC",
         "SText_prim_RLC",
         "ListBox_prim_RLC",
         " Основной параметр",
         {"Автовыбор", "R сопротивление", "C емкость", "L индуктивность", "Z импеданс", "С>0.5мкФ",
          "С>40.0мФ"},
         60},
        {&P_sec_RLC,
         &SText_sec_RLC,
         &ListBox_sec_RLC,
         "P_sec_RLC",
         "SText_sec_RLC",
         "ListBox_sec_RLC",
         "Дополнительный параметр",
         {"Автовыбор", "R сопротивление", "Q добротность", "D тангенс угла потерь"},
         60},
        {&P_ser_per,
         &SText_ser_per,
         &ListBox_ser_per,
         "P_ser_per",
         "SText_ser_per",
         "ListBox_ser_per",
         "Схема замещения",
         {"Автовыбор", "p-параллельная", "s- последовательная"},
         300},
        {&P_Source_RLC,
         &SText_Source,
         &ListBox_Source_RLC,
         "P_Source_RLC",
         "SText_Source",
         "ListBox_Source_RLC",
         "Сопротивление генератора",
         {"Автовыбор", "100Ом", "1.6кОм"},
         150},
    };
    for (const PickerSpec& s : specs) {
        QFrame* panel = Frame(parent, s.panelName);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setAutoFillBackground(true);
        panel->setGeometry(s.x, 0, 250, 149);
        auto* box = widgets::Column(panel, {3, 3, 3, 3}, 2);
        QLabel* caption = Label(panel, s.captionName, s.captionText, 15);
        auto* list = new QListWidget(panel);
        list->setObjectName(s.listName);
        list->addItems(s.items);
        widgets::SetPixelFont(list, 15);
        list->hide();
        box->addWidget(caption);
        box->addWidget(list, 1);
        panel->hide();
        // Where they would be had they been built with the window: under the
        // model chooser, and in the same order for the language files.
        panel->stackUnder(P16);
        *s.panel = panel;
        *s.caption = caption;
        *s.list = list;
    }
}

void TForm1::BuildModelChooser(QWidget* parent) {
    P16 = Frame(parent, "P16");
    P16->setAutoFillBackground(true);
    P16->setFrameShape(QFrame::Panel);
    auto* box = new QVBoxLayout(P16);
    box->setContentsMargins(4, 4, 4, 4);
    RG1 = new QGroupBox("Прибор", P16);
    RG1->setObjectName("RG1");
    box->addWidget(RG1);
    auto* radios = new QVBoxLayout(RG1);
    radios->setSpacing(0);
    auto* group = new QButtonGroup(RG1);
    QRadioButton** buttons[] = {&RB1, &RB2, &RB3, &RB4};
    const char* names[] = {"RB1", "RB2", "RB3", "RB4"};
    const char* captions[] = {"КС15", "КС16", "КС17", "КС19"};
    for (int i = 0; i < 4; ++i) {
        auto* rb = new QRadioButton(captions[i], RG1);
        rb->setObjectName(names[i]);
        group->addButton(rb, i);
        radios->addWidget(rb);
        *buttons[i] = rb;
    }
    RB1->setChecked(true);
    P16->hide();
}
