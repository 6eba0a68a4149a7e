// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "app/built_on_use.h"
#include "app/display_view.h"
#include "app/drop_down_combo.h"
#include "app/program_state.h"
#include "app/step_spin_box.h"
#include "control/profile_seam.h"
#include "display/screen_state.h"
#include "i18n/lexicon.h"
#include "link/adapter_locator.h"
#include "link/ble_central.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class LogGrid;
class LogTable;
class RecordingControl;
class ProfileControl;
class ExportControl;
class ActionNotes;
class JournalView;
class StatisticsControl;
class SweepControl;
class HelpControl;
class ReferenceEditor;
class KeyboardControl;

class QTimer;
class ConnectionManager;
class SettingsController;
class PickerControl;
class FrontPanel;
class LanguageControl;
class SettingsStore;
class WindowPlacement;

// What the window talks to outside itself; tests and the demo meter put their
// own in. A null locator means there is no way to find the adapter.
struct TForm1Ports {
    std::unique_ptr<AdapterLocator> locator;
    std::unique_ptr<BleCentral> ble;
    // Folder of 1.dat; empty for the platform's folder.
    QString settingsFolder;
    // Folder of the language files; empty offers Russian only.
    QString languageFolder;
    // Opens an exported workbook; empty for the desktop's default program.
    std::function<bool(const QString& path)> openDocument;
};

// The one window of the program. Controls keep their role-prefixed names; each
// subsystem's handlers live in its own class and work on these controls.
class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(TForm1Ports ports = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // The meter's screen colour; a reject paints the RLC panel red.
    static const QColor kDisplayColour;
    void SetDisplayColour(QFrame* panel, const QColor& colour);

    // Start-up and shut-down steps.
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void FormClose();
    // Before another language is switched to: remember it and drop the radio
    // link (the adapter then reports the loss and the window disconnects).
    void LangManChangeLangQuery();
    // After a language change: the selections come back, the panel titles and
    // the log headers follow the new language.
    void LangManChangeLanguage();
    // Empties the log table and writes its headers in the current language.

    // A received 18-byte frame; rejected frames change nothing.
    void DecodeMeasurementFrame(std::span<const std::uint8_t> frame);

    // Window-level behaviour.
    void CentreOnScreen();
    void FormResize();
    void Memo1Click();
    void P16MouseLeave();
    void L_righ5MouseMove();
    // Once connected, the connection log no longer opens the model chooser.
    void DisableModelChooserClick() { modelChooserClickEnabled_ = false; }

    i18n::TLexicons lexicons;
    // The meter state, the settings record and the texts of the display.
    display::TScreenState screen;
    TProgramState state;
    // The open profile as recording and the log grid see it.
    TProfileSeam profiles;
    DisplayView view{*this};

    ConnectionManager* connection;
    SettingsController* settingsController;
    // Null until built: the hidden pickers may be built before them.
    PickerControl* pickers = nullptr;
    FrontPanel* frontPanel;
    LanguageControl* language = nullptr;
    ReferenceEditor* reference;
    LogTable* log;
    RecordingControl* recording;
    ProfileControl* profileControl;
    ExportControl* exportControl;
    // Reports on the user's own actions, in view while connected.
    ActionNotes* notes = nullptr;
    JournalView* journalView = nullptr;
    StatisticsControl* statistics;
    SweepControl* sweep;
    HelpControl* help;
    KeyboardControl* keyboard = nullptr;

    // Areas.
    QFrame *Panel_top, *Panel3, *Panel6, *Panel1, *Panel5, *Panel4, *P5, *JvPanel5, *JvPanel1,
        *P_connect, *JvPanel3, *JvPanel6, *JvPanel7, *Panel9, *JvPanel2, *JvPanel4, *Panel7,
        *Panel2, *Panel8, *Panel11, *Panel15, *Panel13, *Panel10;
    QLabel *JvP8, *JvP1, *JvP11;

    // Mode buttons, recording mode, profile buttons.
    QPushButton *Button2, *Button1, *Button3;
    QComboBox* CBox10;
    QPushButton *SB1, *SB2, *SB3, *SB4;

    // Meter function buttons and connection.
    QPushButton *SP4, *SP3, *SP2, *SBe1, *SP5;
    QComboBox* LangCombo1;
    QPushButton* B2;
    QCheckBox* CheckBox_connect_auto;
    QPlainTextEdit* Memo1;

    // Display panels.
    QFrame *Panel_RLCD, *Panel_RD, *Panel_U;
    QLabel *L_Prim_RLC, *L_prim_n, *L_Sec_RLC, *L_sec_n, *L_SER_PER, *L_SER_PER1, *L_RQD_avto,
        *L_RLC_avto, *L_Level_RLC, *L_Source_RLC, *L_freq_RLC, *L_righ1, *L_righ2, *L_righ3,
        *L_righ4;
    QLineEdit *L_righ5, *L_righ6;
    QLabel *Im_Diod, *RD_prim_R, *J_prim, *Joo, *RD_V, *RD_J, *RD_J1, *RD_Auto, *RD_Prim;
    QLabel *U_Prim, *U_vrm, *U_pp;
    QLabel* JP5;

    // Pickers over the display: hidden until a read-out is clicked, so they are
    // built only when first reached for.
    HiddenParts pickerParts;
    BuiltOnUse<QFrame> P_prim_RLC{pickerParts}, P_sec_RLC{pickerParts}, P_ser_per{pickerParts},
        P_level_RLC{pickerParts}, P_freq_RLC{pickerParts}, P_Source_RLC{pickerParts};
    BuiltOnUse<QLabel> SText_prim_RLC{pickerParts}, SText_sec_RLC{pickerParts},
        SText_ser_per{pickerParts}, SText_level_RLC{pickerParts}, SText_freq_RLC{pickerParts},
        SText_Source{pickerParts};
    BuiltOnUse<QListWidget> ListBox_prim_RLC{pickerParts}, ListBox_sec_RLC{pickerParts},
        ListBox_ser_per{pickerParts}, ListBox_Level_RLC{pickerParts}, ListBox_freq_RLC{pickerParts},
        ListBox_Source_RLC{pickerParts};
    bool PickersBuilt() const { return pickerParts.Built(); }
    // Builds every part still waiting for its first use (for a complete list
    // of the window's texts).
    void BuildHiddenParts() { pickerParts.Build(); }

    // Model chooser.
    QFrame* P16;
    QGroupBox* RG1;
    QRadioButton *RB1, *RB2, *RB3, *RB4;

    // Reference area.
    QPushButton *BB1, *Button_DEL, *Button_Add, *BB2;
    StepSpinBox* SE2;
    DropDownCombo* CBox6;
    QComboBox *CBox2, *CBox5, *CBox1, *CBox3, *CBox4;
    QLineEdit* E2;
    QComboBox *CBox11, *CBox51, *CBox31;
    QLineEdit* E11;

    // Recording area.
    QLabel *Label1, *Label9, *Label3, *Label2;
    QSpinBox* SE1;
    DropDownCombo* CB1;
    QPushButton *SP1, *Button4, *B5;
    // Opens the statistics window.
    QPushButton* BStat;
    // Opens the frequency sweep window.
    QPushButton* BSweep;
    // Shows a journal file in the grid (JournalView).
    QPushButton* BJournal;

    LogGrid* SG;
    // The note line under the grid (see ActionNotes); hidden until a note comes.
    QLabel* LNote;

    QTimer *T2, *T3, *T4, *T14, *T33, *T34, *T50, *Timer_TX;

    // Pictures for Im_Diod: two diode orientations and a resistor.
    std::array<QPixmap, 3> ImList1;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildTopArea(QWidget* parent);
    void BuildDisplay(QWidget* parent);
    void BuildRlcdPanel(QFrame* panel);
    void BuildRdPanel(QFrame* panel);
    void BuildUPanel(QFrame* panel);
    void BuildPickers(QWidget* parent);
    void BuildModelChooser(QWidget* parent);
    void BuildBottomArea(QWidget* parent);
    void BuildReferenceArea(QFrame* area);
    void BuildRecordingArea(QFrame* area);
    void BuildTimers();
    void LayoutDisplay();
    // Recording and the log grid reach the open profile through its control.
    void ConnectProfileSeam();

    bool modelChooserClickEnabled_ = true;
    bool shown_ = false;
    std::unique_ptr<WindowPlacement> placement_;
    // Put where it was last time rather than centred.
    bool placed_ = false;
};
