// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/main.h"
#include "app/widget_factory.h"

using widgets::Button;
using widgets::Combo;
using widgets::Frame;
using widgets::Label;

void TForm1::BuildTopArea(QWidget* parent) {
    auto* row = widgets::Row(parent);

    // Left: display-mode buttons, recording mode and profile buttons.
    Panel3 = Frame(parent, "Panel3");
    Panel3->setFixedWidth(209);
    Panel3->setFrameShape(QFrame::StyledPanel);
    row->addWidget(Panel3);
    auto* left = widgets::Column(Panel3, {2, 2, 2, 2}, 2);

    Panel6 = Frame(Panel3, "Panel6");
    Panel6->setFixedHeight(35);
    left->addWidget(Panel6);
    auto* modes = new QHBoxLayout(Panel6);
    modes->setContentsMargins(4, 3, 4, 3);
    Button2 = Button(Panel6, "Button2", "RLCD", 60, 28);
    Button1 = Button(Panel6, "Button1", "RD", 60, 28);
    Button3 = Button(Panel6, "Button3", "U", 60, 28);
    modes->addWidget(Button2);
    modes->addWidget(Button1);
    modes->addWidget(Button3);

    Panel1 = Frame(Panel3, "Panel1");
    left->addWidget(Panel1, 1);
    auto* profile = widgets::Column(Panel1, {4, 2, 4, 2}, 3);
    CBox10 = Combo(Panel1, "CBox10", {"Измерение 1 детали", "Мульти"}, false);
    widgets::SetPixelFont(CBox10, 17);
    profile->addWidget(CBox10);
    JvP8 = Label(Panel1, "JvP8", "Профиль");
    JvP8->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    JvP8->setFrameShape(QFrame::StyledPanel);
    profile->addWidget(JvP8);
    Panel5 = Frame(Panel1, "Panel5");
    profile->addWidget(Panel5);
    auto* profileButtons = new QGridLayout(Panel5);
    profileButtons->setContentsMargins(0, 0, 0, 0);
    profileButtons->setSpacing(3);
    SB1 = Button(Panel5, "SB1", "Создать", 96, 28);
    SB2 = Button(Panel5, "SB2", "Открыть", 96, 28);
    SB3 = Button(Panel5, "SB3", "Сохранить как", 195, 28);
    SB4 = Button(Panel5, "SB4", "Изменение профиля", 195, 28, true);
    SB3->setEnabled(false);
    SB4->setChecked(true);
    profileButtons->addWidget(SB1, 0, 0);
    profileButtons->addWidget(SB2, 0, 1);
    profileButtons->addWidget(SB3, 1, 0, 1, 2);
    profileButtons->addWidget(SB4, 2, 0, 1, 2);

    // Right: meter function buttons, connection, and the display.
    Panel4 = Frame(parent, "Panel4");
    row->addWidget(Panel4, 1);
    auto* right = widgets::Column(Panel4);
    P5 = Frame(Panel4, "P5");
    right->addWidget(P5);
    auto* p5 = widgets::Column(P5);

    JvPanel5 = Frame(P5, "JvPanel5");
    JvPanel5->setFixedHeight(41);
    p5->addWidget(JvPanel5);
    auto* bar = widgets::Row(JvPanel5, {2, 2, 2, 2}, 0);
    JvPanel1 = Frame(JvPanel5, "JvPanel1");
    JvPanel1->setFixedWidth(604);
    bar->addWidget(JvPanel1);
    auto* functions = widgets::Row(JvPanel1, {4, 4, 4, 4}, 4);
    SP4 = Button(JvPanel1, "SP4", "Яркость", 114, 28, true);
    SP3 = Button(JvPanel1, "SP3", "Захват", 114, 28, true);
    SP2 = Button(JvPanel1, "SP2", "Звук", 114, 28, true);
    SBe1 = Button(JvPanel1, "SBe1", "По умолчанию", 114, 28);
    SP5 = Button(JvPanel1, "SP5", "Выключить", 114, 28);
    SP5->hide();
    LangCombo1 = Combo(JvPanel1, "LangCombo1", {}, false);  // filled with the languages found
    LangCombo1->setFixedWidth(114);
    widgets::AddAll(functions, {SP4, SP3, SP2, SBe1, SP5, LangCombo1});
    functions->addStretch(1);

    P_connect = Frame(JvPanel5, "P_connect");
    P_connect->setFixedSize(170, 34);
    bar->addStretch(1);
    bar->addWidget(P_connect);
    auto* connect = new QHBoxLayout(P_connect);
    connect->setContentsMargins(2, 2, 2, 2);
    B2 = Button(P_connect, "B2", "Подключить", 104, 28, true);
    CheckBox_connect_auto = new QCheckBox("Авто", P_connect);
    CheckBox_connect_auto->setObjectName("CheckBox_connect_auto");
    connect->addWidget(B2);
    connect->addWidget(CheckBox_connect_auto);

    JvPanel3 = Frame(P5, "JvPanel3");
    JvPanel3->setFixedHeight(151);
    p5->addWidget(JvPanel3);
    BuildDisplay(JvPanel3);
}
