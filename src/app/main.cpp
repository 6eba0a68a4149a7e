// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main.h"
#include "app/enable_timer.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/settings_controller.h"
#include "app/text_fit.h"
#include "app/widget_factory.h"
#include "app/window_placement.h"
#include "connection/connection_manager.h"
#include "control/action_notes.h"
#include "control/export_control.h"
#include "control/front_panel.h"
#include "control/help_control.h"
#include "control/journal_view.h"
#include "control/keyboard_control.h"
#include "control/language_control.h"
#include "control/picker_control.h"
#include "control/profile_control.h"
#include "control/recording_control.h"
#include "control/reference_editor.h"
#include "control/statistics_control.h"
#include "control/sweep_control.h"
#include "link/adapter_locator.h"
#include "link/ble_central.h"

namespace {
constexpr int kWindowWidth = 1024;
constexpr int kMinimumHeight = 600;
constexpr int kDesignClientHeight = 665;

display::TSeparators LocaleSeparators() {
    const QLocale locale;
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}
}  // namespace

const QColor TForm1::kDisplayColour(0xB9, 0xD1, 0xEA);

TForm1::TForm1(TForm1Ports ports, QWidget* parent)
    : QMainWindow(parent), screen(lexicons, LocaleSeparators()) {
    setObjectName("Form1");
    setWindowTitle("Регистратор данных для RLC метров КС версия 1.8");
    QFont f(widgets::WindowFontFamily(
        QFontDatabase::families(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()));
    f.setBold(true);
    // Another font than the design's is drawn as much smaller as it runs
    // wider, so every area keeps its layout; what still does not fit shrinks
    // on its own once shown.
    setProperty(widgets::kFontScale, widgets::DesignScale(f));
    f.setPixelSize(widgets::ScaledPixels(this, 15));
    setFont(f);
    // Wider than its design if the user likes: the log grid and the
    // connection log take the room.
    setMinimumWidth(kWindowWidth);
    resize(kWindowWidth, kDesignClientHeight);
    setWindowIcon(ProgramIcon());

    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    setCentralWidget(central);
    auto* column = widgets::Column(central);

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

    ConnectionManager::Hooks linkHooks;
    linkHooks.SaveAutoConnect = [this] { settingsController->SaveAutoConnect(); };
    linkHooks.DecodeMeasurementFrame = [this](std::span<const std::uint8_t> frame) {
        DecodeMeasurementFrame(frame);
    };
    notes = new ActionNotes(*this, this);
    connection = new ConnectionManager(*this, state, std::move(ports.locator), std::move(ports.ble),
                                       std::move(linkHooks), this);
    pickers = new PickerControl(*this, this);
    frontPanel = new FrontPanel(*this, this);
    reference = new ReferenceEditor(*this, this);
    recording = new RecordingControl(*this, this);
    const QString settingsFolder =
        ports.settingsFolder.isEmpty() ? SettingsStore::DefaultFolder() : ports.settingsFolder;
    const QString journalFolder = settingsFolder + "/journal";
    log = new LogTable(*this, journalFolder, this);
    statistics = new StatisticsControl(*this, this);
    connect(log, &LogTable::RowAppended, statistics, &StatisticsControl::RowAppended);
    connect(log, &LogTable::LogEmptied, statistics, &StatisticsControl::LogEmptied);
    sweep = new SweepControl(*this, this);
    connect(log, &LogTable::LogEmptied, sweep, &SweepControl::ApplyTexts);
    help = new HelpControl(*this, this);
    screen.SetToleranceCheck(
        [this](const protocol::TMeterState& st, const protocol::TMeterSettings& set) {
            return reference->CheckTolerance(st, set);
        });
    SettingsController::Hooks settingsHooks;
    settingsHooks.RefreshModelLists = [this] { view.RefreshModelLists(); };
    settingsHooks.SetDefaultLanguage = [this](const QString& name) {
        language->SetDefaultLanguage(name);
    };
    settingsHooks.OpenProfile = [this](const QString& path) {
        return profileControl->OpenProfile(path);
    };
    settingsController = new SettingsController(*this, state, SettingsStore(settingsFolder),
                                                std::move(settingsHooks), this);
    profileControl = new ProfileControl(*this, this);
    auto opener = ports.openDocument ? std::move(ports.openDocument) : [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    exportControl = new ExportControl(*this, settingsFolder + "/exports", std::move(opener), this);
    journalView = new JournalView(*this, journalFolder, this);
    ConnectProfileSeam();
    // Takes the design texts of every control built above.
    language = new LanguageControl(*this, ports.languageFolder, this);
    // Its tooltips come from a lexicon, after the design texts were taken.
    keyboard = new KeyboardControl(*this, this);
    connect(T33, &QTimer::timeout, this, [this] { view.T33Timer(); });
    connect(&connection->Serial(), &SerialAdapterLink::ProbeUnanswered, this,
            [this](const QString& port) {
                auto* box =
                    new QMessageBox(QMessageBox::NoIcon, "Test", "No modem responding on " + port,
                                    QMessageBox::Ok, this);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->open();
            });
    FormCreate();
    placement_ = std::make_unique<WindowPlacement>(*this, settingsFolder);
    placed_ = placement_->Restore();
    if (!placed_) CentreOnScreen();
}

// Centred on the screen it opens on; a screen smaller than the window gets
// the window's top left corner, so its title bar stays within reach.
void TForm1::CentreOnScreen() {
    const QScreen* s = QWidget::screen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    const QSize size = frameGeometry().size();
    move(std::max(area.left(), area.left() + (area.width() - size.width()) / 2),
         std::max(area.top(), area.top() + (area.height() - size.height()) / 2));
}

TForm1::~TForm1() {
    reference->StopWatching();
    connection->CloseLinks();
}

void TForm1::SetDisplayColour(QFrame* panel, const QColor& colour) {
    QPalette pal = panel->palette();
    if (pal.color(QPalette::Window) == colour) return;
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
}

void TForm1::FormCreate() {
    Memo1->clear();
    state.UseDirectBle = true;
    state.BleLinkUp = false;
    connection->Ble().SetEnabled(true);
    Memo1->appendPlainText(QSysInfo::prettyProductName() + " " + QSysInfo::kernelVersion());
    screen.State().Model = protocol::TMeterModel::Ks15;
    const bool reopened = settingsController->LoadSettings();
    if (reopened) {
        SB3->setEnabled(true);
        SB4->setEnabled(true);
    }
    view.Start();  // defaults, indicators and pickers
    // The defaults replaced the meter settings of the entry the editor shows;
    // "Запись" must not store them as that entry's.
    if (reopened) profileControl->ReloadShownEntry();
    JvP1->setText(QString::fromStdString(lexicons.D1.GetItem(6)));
    JvP11->setText(QString::fromStdString(lexicons.D1.GetItem(1)));
    CBox10->setCurrentIndex(0);
    log->SetLogHeaders();
    SP1->setEnabled(false);
    view.RefreshModelLists();
}

void TForm1::DecodeMeasurementFrame(std::span<const std::uint8_t> frame) {
    view.DecodeMeasurementFrame(frame);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Laid out now: texts too wide for their place with this font shrink.
    widgets::FitTexts(this);
    if (!placed_) CentreOnScreen();  // again, now that the frame around the window is known
    FormShow();
}

void TForm1::FormShow() {
    connection->Serial().ProbeAdapter();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormClose();
    if (const auto failure = placement_->Save())
        std::fprintf(stderr, "rlc-logger: the window's place is not kept: %s\n",
                     qPrintable(*failure));
    QMainWindow::closeEvent(event);
}

void TForm1::LangManChangeLangQuery() {
    settingsController->SaveLanguageIndex();
    connection->Serial().SendDrop();
    EnableTimer(T3);
    language->StoreComboSelections();
}

void TForm1::LangManChangeLanguage() {
    reference->FillToleranceLists();  // the locale's separator in the new items
    language->RestoreComboSelections();
    JvP8->setText(QString::fromStdString(lexicons.D1.GetItem(0)) + state.ProfileName);
    JvP1->setText(QString::fromStdString(lexicons.D1.GetItem(6)));
    JvP11->setText(QString::fromStdString(lexicons.D1.GetItem(1)));
    if (keyboard) keyboard->ApplyTexts();
    log->SetLogHeaders();
    help->ApplyTexts();
    journalView->ApplyTexts();
    // Texts of another length: each takes the size that fits again.
    if (shown_) widgets::FitTexts(this);
}

void TForm1::FormCloseQuery() {
    sweep->Stop();  // the settings kept and the meter's are those from before it
    connection->FormCloseQuery();
}

void TForm1::FormClose() {
    recording->FormClose();
    P5->setEnabled(false);
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
    const QScreen* s = QWidget::screen();
    if (!s) return;
    const int left = (s->geometry().width() - width()) / 2;  // rounds toward zero
    if (left > 0 && isMaximized()) move(left, y());
}

void TForm1::Memo1Click() {
    if (!modelChooserClickEnabled_) return;
    P16->show();
    P16->raise();
}

void TForm1::P16MouseLeave() {
    P16->hide();
}

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

void TForm1::ConnectProfileSeam() {
    profiles.ProfileCount = [this] { return state.ProfileCount; };
    profiles.ShowProfileInGrid = [this](int first) { profileControl->ShowProfileInGrid(first); };
    profiles.LoadProfileEntry = [this](int n) { profileControl->LoadProfileEntry(n); };
    profiles.ReopenProfile = [this] { return settingsController->LoadSettings(); };
}
