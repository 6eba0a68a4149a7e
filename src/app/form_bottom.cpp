// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/log_grid.h"
#include "app/main.h"
#include "app/step_spin_box.h"
#include "app/widget_factory.h"

using widgets::Button;
using widgets::Combo;
using widgets::Frame;
using widgets::Label;
using widgets::SetUpCombo;

namespace {

const QStringList kToleranceItems = {"выкл.", "0,2%", "0,3%", "0,5%", "1%", "2%",
                                     "3%",    "5%",   "10%",  "20%",  ">",  "<"};
const QStringList kOhmUnits = {"Ом", "кОм", "МОм"};
constexpr int kReferenceAreaWidth = 458;

QLineEdit* ValueEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit("10000", parent);
    e->setObjectName(name);
    e->setMaxLength(7);
    e->setFixedWidth(56);  // seven digits
    return e;
}

QComboBox* ToleranceCombo(QWidget* parent, const char* name) {
    QComboBox* c = Combo(parent, name, kToleranceItems, true);
    c->setMaxVisibleItems(16);
    c->setCurrentText("выкл.");
    // Typed tolerances are filtered as they are typed; nothing is completed or
    // added to the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);
    return c;
}

QLabel* SectionTitle(QWidget* parent, const char* name, const QString& text) {
    QLabel* l = Label(parent, name, text, 16);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

}  // namespace

void TForm1::BuildBottomArea(QWidget* parent) {
    auto* column = widgets::Column(parent);

    JvPanel2 = Frame(parent, "JvPanel2");
    JvPanel2->setFixedHeight(88);
    column->addWidget(JvPanel2);
    auto* strips = widgets::Column(JvPanel2);
    JvPanel4 = Frame(JvPanel2, "JvPanel4");
    JvPanel4->setFixedHeight(8);
    strips->addWidget(JvPanel4);
    auto* areas = new QHBoxLayout;
    areas->setSpacing(0);
    strips->addLayout(areas, 1);

    Panel7 = Frame(JvPanel2, "Panel7");
    Panel7->setFrameShape(QFrame::StyledPanel);
    areas->addWidget(Panel7);
    BuildReferenceArea(Panel7);
    // At least its design width, and wide enough that every control of the
    // two reference rows shows whole with this font.
    Panel7->setFixedWidth(std::max(kReferenceAreaWidth, Panel7->minimumSizeHint().width()));

    Panel2 = Frame(JvPanel2, "Panel2");
    Panel2->setFrameShape(QFrame::StyledPanel);
    areas->addWidget(Panel2, 1);
    BuildRecordingArea(Panel2);

    Panel10 = Frame(parent, "Panel10");
    column->addWidget(Panel10, 1);
    auto* grid = new QVBoxLayout(Panel10);
    grid->setContentsMargins(0, 0, 0, 0);
    SG = new LogGrid(Panel10);
    SG->setObjectName("SG");
    widgets::SetPixelFont(SG, 15, false);
    grid->addWidget(SG);
    LNote = Label(Panel10, "LNote", QString(), 13);
    LNote->setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path can be copied
    LNote->setFocusPolicy(Qt::NoFocus);
    LNote->setSizePolicy(QSizePolicy::Ignored,
                         QSizePolicy::Preferred);  // a long path never widens the window
    LNote->setContentsMargins(4, 1, 4, 1);
    LNote->hide();
    grid->addWidget(LNote);
}

void TForm1::BuildReferenceArea(QFrame* area) {
    auto* rows = new QGridLayout(area);
    rows->setContentsMargins(4, 0, 4, 2);
    rows->setHorizontalSpacing(4);
    rows->setVerticalSpacing(2);

    JvP1 = SectionTitle(area, "JvP1", QString::fromStdString(lexicons.D1.GetItem(6)));
    rows->addWidget(JvP1, 0, 0, 1, 2);

    auto* entryRow = new QHBoxLayout;
    entryRow->setSpacing(3);
    BB1 = Button(area, "BB1", "Запись", 59, 26);
    Button_DEL = Button(area, "Button_DEL", "Удалить", 59, 26);
    Button_Add = Button(area, "Button_Add", "Добавить", 68, 26);
    BB2 = Button(area, "BB2", "Чтение", 59, 26);
    BB2->hide();
    SE2 = new StepSpinBox(area);
    SE2->setObjectName("SE2");
    SE2->setRange(1, 2);
    SE2->setValue(1);
    SE2->setFixedWidth(52);
    CBox6 = new DropDownCombo(area);
    SetUpCombo(CBox6, "CBox6", {"R1"}, true);
    CBox6->setMaxVisibleItems(20);
    CBox6->lineEdit()->setMaxLength(18);
    widgets::AddAll(entryRow, {BB1, Button_DEL, Button_Add, SE2});
    entryRow->addWidget(CBox6, 1);
    rows->addLayout(entryRow, 1, 0, 1, 2);

    Panel8 = Frame(area, "Panel8");
    auto* primary = widgets::Row(Panel8, {}, 2);
    CBox2 = Combo(Panel8, "CBox2", {"R", "L", "C"}, false);
    CBox5 = ToleranceCombo(Panel8, "CBox5");
    E2 = ValueEdit(Panel8, "E2");
    CBox1 = Combo(Panel8, "CBox1", kOhmUnits, false);
    CBox3 = Combo(Panel8, "CBox3", {"мкГн", "мГн", "Гн"}, false);
    CBox4 = Combo(Panel8, "CBox4", {"рФ", "нФ", "мкФ"}, false);
    CBox3->hide();
    CBox4->hide();
    widgets::AddAll(primary, {CBox2, CBox5, E2, CBox1, CBox3, CBox4});
    rows->addWidget(Panel8, 2, 0);

    Panel11 = Frame(area, "Panel11");
    auto* secondary = widgets::Row(Panel11, {}, 2);
    CBox11 = Combo(Panel11, "CBox11", {"R", "Q", "D"}, false);
    CBox51 = ToleranceCombo(Panel11, "CBox51");
    E11 = ValueEdit(Panel11, "E11");
    CBox31 = Combo(Panel11, "CBox31", kOhmUnits, false);
    widgets::AddAll(secondary, {CBox11, CBox51, E11, CBox31});
    rows->addWidget(Panel11, 2, 1);

    // The unit lists take turns in one place: all as wide as the widest, so a
    // switch of parameter never squeezes its row.
    int unitWidth = 0;
    for (QComboBox* unit : {CBox1, CBox3, CBox4, CBox31})
        unitWidth = std::max(unitWidth, unit->minimumSizeHint().width());
    for (QComboBox* unit : {CBox1, CBox3, CBox4, CBox31}) unit->setMinimumWidth(unitWidth);
}

void TForm1::BuildRecordingArea(QFrame* area) {
    auto* outer = widgets::Column(area, {4, 0, 4, 1}, 0);
    JvP11 = SectionTitle(area, "JvP11", QString::fromStdString(lexicons.D1.GetItem(1)));
    outer->addWidget(JvP11);
    Panel15 = Frame(area, "Panel15");
    outer->addWidget(Panel15, 1);
    auto* p15 = new QVBoxLayout(Panel15);
    p15->setContentsMargins(0, 0, 0, 0);
    Panel13 = Frame(Panel15, "Panel13");
    p15->addWidget(Panel13);

    auto* grid = new QGridLayout(Panel13);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);
    auto twoLines = [&](const char* topName, const QString& top, const char* bottomName,
                        const QString& bottom, QLabel*& topLabel, QLabel*& bottomLabel) {
        auto* box = new QVBoxLayout;
        box->setSpacing(0);
        topLabel = Label(Panel13, topName, top, 13);
        bottomLabel = Label(Panel13, bottomName, bottom, 13);
        box->addWidget(topLabel);
        box->addWidget(bottomLabel);
        return box;
    };
    grid->addLayout(twoLines("Label1", "Начальная", "Label9", "позиция", Label1, Label9), 0, 0);
    SE1 = new QSpinBox(Panel13);
    SE1->setObjectName("SE1");
    SE1->setRange(1, 100000);
    SE1->setValue(1);
    SE1->setFixedWidth(84);
    grid->addWidget(SE1, 0, 1);
    grid->addLayout(twoLines("Label3", "Интервал", "Label2", "записи", Label3, Label2), 1, 0);
    CB1 = new DropDownCombo(Panel13);
    SetUpCombo(CB1, "CB1", {"0.5с", "1с", "2с"}, false);
    CB1->setCurrentIndex(1);
    grid->addWidget(CB1, 1, 1);

    SP1 = Button(Panel13, "SP1", "Пуск", 251, 59, true);
    // Its design width where there is room; narrower rather than under the
    // buttons beside it where there is not.
    SP1->setMinimumWidth(110);
    widgets::SetPixelFont(SP1, 27);
    SP1->setEnabled(false);
    grid->addWidget(SP1, 0, 2, 2, 1);
    Button4 = Button(Panel13, "Button4", "В файл EXCEL", 104, 29);
    B5 = Button(Panel13, "B5", "Очистка", 104, 29);
    grid->addWidget(Button4, 0, 3);
    grid->addWidget(B5, 1, 3);
    BStat = Button(Panel13, "BStat", "", 76, 29);
    grid->addWidget(BStat, 0, 4);
    BJournal = Button(Panel13, "BJournal", "", 76, 29);
    grid->addWidget(BJournal, 1, 4);
    BSweep = Button(Panel13, "BSweep", "", 76, 29);
    grid->addWidget(BSweep, 0, 5);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(6, 1);
}
