#include "app/main.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/widget_factory.h"

namespace {
constexpr int kWindowWidth = 1024;
constexpr int kMinimumHeight = 600;
constexpr int kDesignClientHeight = 665;
}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Регистратор данных для RLC метров КС версия 1.8");
    QFont f("Calibri");
    f.setPixelSize(15);
    f.setBold(true);
    setFont(f);
    setMinimumWidth(kWindowWidth);
    setMaximumWidth(kWindowWidth);
    resize(kWindowWidth, kDesignClientHeight);

    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    setCentralWidget(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel_top = widgets::Frame(central, "Panel_top");
    Panel_top->setFixedHeight(192);
    column->addWidget(Panel_top);
    BuildTopArea(Panel_top);

    Panel9 = widgets::Frame(central, "Panel9");
    column->addWidget(Panel9, 1);
    BuildBottomArea(Panel9);

    BuildTimers();

    Memo1->viewport()->installEventFilter(this);
    P16->installEventFilter(this);
    L_righ5->installEventFilter(this);
    L_righ6->installEventFilter(this);
    L_righ5->setMouseTracking(true);
    L_righ6->setMouseTracking(true);
}

void TForm1::BuildTimers() {
    auto make = [this](const char* name, int ms, bool running) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        if (running) t->start();
        return t;
    };
    T2 = make("T2", 2000, false);
    T3 = make("T3", 2500, true);
    T4 = make("T4", 1000, false);
    T14 = make("T14", 500, false);
    T33 = make("T33", 3000, false);
    T34 = make("T34", 2000, false);
    T50 = make("T50", 2000, false);
    Timer_TX = make("Timer_TX", 50, false);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize() {
    if (width() < kWindowWidth) resize(kWindowWidth, height());
    if (height() < kMinimumHeight) resize(width(), kMinimumHeight);
    const QScreen* s = screen();
    if (!s) return;
    const int left = (s->geometry().width() - width()) / 2;  // rounds toward zero
    if (left > 0 && isMaximized()) move(left, y());
}

void TForm1::Memo1Click() {
    if (!modelChooserClickEnabled_) return;
    P16->show();
    P16->raise();
}

void TForm1::P16MouseLeave() { P16->hide(); }

void TForm1::L_righ5MouseMove() {
    // The side read-out is an edit only so its text can be copied; it never shows a caret.
    L_righ5->deselect();
    L_righ5->clearFocus();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == JvPanel3 && event->type() == QEvent::Resize) {
        LayoutDisplay();
    } else if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonPress) {
        Memo1Click();
    } else if (watched == P16 && event->type() == QEvent::Leave) {
        P16MouseLeave();
    } else if ((watched == L_righ5 || watched == L_righ6) && event->type() == QEvent::MouseMove) {
        L_righ5MouseMove();
    }
    return QMainWindow::eventFilter(watched, event);
}
