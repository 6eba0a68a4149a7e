// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/profile_control.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <span>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/settings_controller.h"
#include "app/step_spin_box.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/action_notes.h"
#include "control/recording_control.h"
#include "control/reference_editor.h"
#include "files/whole_file.h"
#include "profiles/profile_view.h"
#include "settings/load_settings.h"

namespace {

// Lexicon D1 items.
constexpr int kProfileCaption = 0;
constexpr int kCreated = 4;
constexpr int kFailed = 5;

constexpr const char* kExtension = ".hex1";

std::span<const std::uint8_t> Bytes(const QByteArray& a) {
    return {reinterpret_cast<const std::uint8_t*>(a.constData()),
            static_cast<std::size_t>(a.size())};
}

QByteArray ToQByteArray(std::span<const std::uint8_t> b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

int Index(const QComboBox* box) {
    return std::max(0, box->currentIndex());
}

}  // namespace

ProfileControl::ProfileControl(TForm1& form, QObject* parent) : QObject(parent), form_(form) {
    connect(form_.BB1, &QPushButton::clicked, this, &ProfileControl::BB1Click);
    connect(form_.Button_Add, &QPushButton::clicked, this, &ProfileControl::Button_AddClick);
    connect(form_.Button_DEL, &QPushButton::clicked, this, &ProfileControl::Button_DELClick);
    connect(form_.BB2, &QPushButton::clicked, this, &ProfileControl::BB2Click);
    connect(form_.CBox6, &QComboBox::activated, this, &ProfileControl::CBox6Click);
    connect(form_.SB1, &QPushButton::clicked, this, &ProfileControl::SB1Click);
    connect(form_.SB2, &QPushButton::clicked, this, &ProfileControl::SB2Click);
    connect(form_.SB3, &QPushButton::clicked, this, &ProfileControl::SB3Click);
    // `clicked` comes from the user only: the connection manager moves SB4
    // without its click handling.
    connect(form_.SB4, &QPushButton::clicked, this, &ProfileControl::SB4Click);
    connect(form_.CBox6, &DropDownCombo::DroppingDown, this, &ProfileControl::CBox6DropDown);
}

QString ProfileControl::Text(int item) const {
    return Q(form_.lexicons.Dprof.GetItem(item));
}

QString ProfileControl::DamageText(profiles::TDamage damage) const {
    using namespace i18n::proftext;
    switch (damage) {
        case profiles::TDamage::ShortFile:
            return Text(ShortFile);
        case profiles::TDamage::NegativeCount:
            return Text(NegativeCount);
        case profiles::TDamage::CountPastEnd:
            return Text(CountPastEnd);
        case profiles::TDamage::None:
            break;
    }
    return {};
}

void ProfileControl::Log(const QString& line) {
    form_.notes->Say(line);
}

void ProfileControl::Message(const QString& text) {
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, form_.windowTitle(), text, QMessageBox::Ok, &form_);
    box->setObjectName("ProfileMessage");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool ProfileControl::Multi() const {
    return form_.recording->Mode() == RecordingControl::Multi;
}

QString ProfileControl::WithExtension(const QString& name) {
    return name.endsWith(kExtension, Qt::CaseInsensitive) ? name : name + kExtension;
}

QString ProfileControl::ChooseFile(bool save) {
    if (chooser_) return chooser_(save);
    QFileDialog dialog(&form_);
    dialog.setObjectName(save ? "SaveDialog1" : "OpenDialog1");
    dialog.setNameFilter("*.hex1");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name typed without the extension still names the file that would be
    // replaced, so the dialog asks first. Opening adds nothing to the name.
    if (save) dialog.setDefaultSuffix(QString(kExtension).mid(1));
    // Opening a name that does not exist creates that profile.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

profiles::TEditorState ProfileControl::EditorState() const {
    profiles::TEditorState ed;
    ed.entryName = form_.CBox6->currentText().toStdString();
    ed.startPosition = form_.SE1->value();
    ed.primaryTolerance = form_.CBox5->currentText().toStdString();
    ed.primaryOffText = form_.CBox5->itemText(0).toStdString();
    ed.primaryParameter = Index(form_.CBox2);
    ed.resistanceUnit = Index(form_.CBox1);
    ed.inductanceUnit = Index(form_.CBox3);
    ed.capacitanceUnit = Index(form_.CBox4);
    ed.primaryReference = form_.E2->text().toStdString();
    ed.secondaryTolerance = form_.CBox51->currentText().toStdString();
    ed.secondaryOffText = form_.CBox51->itemText(0).toStdString();
    ed.secondaryParameter = Index(form_.CBox11);
    ed.secondaryUnit = Index(form_.CBox31);
    ed.secondaryReference = form_.E11->text().toStdString();
    ed.settings = form_.screen.Settings();
    return ed;
}

std::optional<QByteArray> ProfileControl::ReadProfileFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Log(Text(i18n::proftext::CannotRead) + path + ": " + file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::optional<QByteArray> ProfileControl::ReadOpenProfile() {
    const QString& path = form_.state.ProfilePath;
    if (path.isEmpty()) {
        Log(Text(i18n::proftext::NoProfile));
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = ReadProfileFile(path);
    if (!bytes) return std::nullopt;
    const profiles::TCount count = profiles::ReadCount(Bytes(*bytes));
    if (count.Ok()) return bytes;
    if (profiles::Salvage(Bytes(*bytes))) return ToQByteArray(profiles::Salvaged(Bytes(*bytes)));
    Log(Text(i18n::proftext::Damaged) + path + ": " + DamageText(count.damage));
    return std::nullopt;
}

// Other damage is left to the edit itself, which refuses it and says why.
std::optional<QByteArray> ProfileControl::ReadOpenProfileToEdit() {
    if (form_.state.ProfilePath.isEmpty()) {
        Log(Text(i18n::proftext::NoProfile));
        return std::nullopt;
    }
    const std::optional<QByteArray> file = ReadProfileFile(form_.state.ProfilePath);
    if (!file) return std::nullopt;
    if (profiles::Salvage(Bytes(*file))) {
        Log(Q(form_.lexicons.Dprof_names.GetItem(i18n::profnames::NotWritten)) +
            form_.state.ProfilePath);
        return std::nullopt;
    }
    return file;
}

bool ProfileControl::SaveWhole(const QString& path, const QByteArray& bytes) {
    const std::optional<QString> failure = files::SaveWholeFile(path, bytes);
    if (!failure) return true;
    Log(Text(i18n::proftext::CannotWrite) + path + ": " + *failure);
    return false;
}

bool ProfileControl::CreateProfile(const QString& path) {
    const profiles::Bytes bytes = profiles::NewProfile(profiles::EntryFromEditor(EditorState()));
    return SaveWhole(path, ToQByteArray(bytes));
}

void ProfileControl::CountChanged(std::int32_t count) {
    form_.state.ProfileCount = count;
    form_.SE2->setMaximum(settings::EntrySpinnerMaximum(count));
    form_.recording->SE2Change();
}

bool ProfileControl::OpenProfile(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    const std::optional<QByteArray> bytes = ReadProfileFile(path);
    if (!bytes) return false;
    // A damaged profile is not opened, unless it was only cut short: then its
    // whole entries are shown, and the file is never written.
    const profiles::TCount count = profiles::ReadCount(Bytes(*bytes));
    const std::optional<profiles::TSalvage> salvage = profiles::Salvage(Bytes(*bytes));
    if (!count.Ok() && !salvage) {
        Log(Text(i18n::proftext::Damaged) + path + ": " + DamageText(count.damage));
        return false;
    }
    const bool another = path != form_.state.ProfilePath;
    if (salvage && another) {
        const i18n::TDesignedLexicon& t = form_.lexicons.Dprof_names;
        Log(Text(i18n::proftext::Damaged) + path + ": " + DamageText(count.damage));
        Log(Q(t.GetItem(i18n::profnames::ReadOnly)) + QString::number(salvage->whole) +
            Q(t.GetItem(i18n::profnames::Of)) + QString::number(salvage->counted) +
            Q(t.GetItem(i18n::profnames::SaveToEdit)));
    }
    form_.state.ProfilePath = path;
    const QString name = Q(settings::ProfileNameFromPath(path.toStdString()));
    form_.state.ProfileName = " " + name;
    form_.JvP8->setText(Q(form_.lexicons.D1.GetItem(kProfileCaption)) + " " + name);
    CountChanged(salvage ? salvage->whole : count.count);
    // Whatever shows the entries follows the profile in either mode; the
    // multi mode reopens the same profile before every run, and only another
    // profile loads its first entry there.
    if (!Multi() || another)
        FillEntryNames();
    else
        RefreshEntryNames();
    return true;
}

std::optional<int> ProfileControl::RefreshEntryNames() {
    const std::optional<QByteArray> bytes = ReadOpenProfile();
    if (!bytes) return std::nullopt;
    const profiles::TProfile profile = profiles::ReadProfile(Bytes(*bytes));
    // The file may have changed since it was opened: its own count wins.
    if (profile.Count() != form_.state.ProfileCount) CountChanged(profile.Count());
    const QSignalBlocker block(form_.CBox6);
    const QString shown = form_.CBox6->currentText();
    const int index = form_.CBox6->currentIndex();
    form_.CBox6->clear();
    for (const profiles::TProfileEntry& e : profile.entries) form_.CBox6->addItem(Q(e.name));
    if (index >= 0 && index < profile.Count()) form_.CBox6->setCurrentIndex(index);
    form_.CBox6->setEditText(shown);
    return profile.Count();
}

void ProfileControl::ReloadShownEntry() {
    const int n = form_.SE2->value();
    if (!Multi() && n >= 1 && n <= form_.state.ProfileCount) LoadProfileEntry(n);
}

void ProfileControl::FillEntryNames() {
    const std::optional<int> count = RefreshEntryNames();
    if (!count || *count == 0) return;
    {
        const QSignalBlocker block(form_.CBox6);
        form_.CBox6->setCurrentIndex(0);
    }
    form_.SE2->setValue(1);
    LoadProfileEntry(1);
}

void ProfileControl::LoadProfileEntry(int n) {
    const std::optional<QByteArray> bytes = ReadOpenProfile();
    if (!bytes) return;
    const std::optional<profiles::TProfileEntry> entry = profiles::ReadEntry(Bytes(*bytes), n);
    if (!entry) {
        Log(Text(i18n::proftext::NoSuchEntry) + QString::number(n) +
            Text(i18n::proftext::CountLabel) + QString::number(form_.state.ProfileCount));
        return;
    }
    const profiles::TLoadedEntry l = profiles::LoadEntry(
        *entry, form_.CBox5->itemText(0).toStdString(), form_.CBox51->itemText(0).toStdString());
    form_.CBox6->setEditText(Q(l.entryName));

    form_.CBox5->setEditText(Q(l.primaryTolerance));
    form_.CBox2->setCurrentIndex(l.primaryParameter);
    QComboBox* units[] = {form_.CBox1, form_.CBox3, form_.CBox4};
    units[l.primaryParameter]->setCurrentIndex(l.primaryUnit);
    form_.E2->setText(Q(l.primaryReference));

    form_.CBox51->setEditText(Q(l.secondaryTolerance));
    form_.CBox11->setCurrentIndex(l.secondaryParameter);
    if (l.secondaryUnit) form_.CBox31->setCurrentIndex(*l.secondaryUnit);
    form_.reference->ShowSecondaryUnitBox();
    form_.E11->setText(Q(l.secondaryReference));

    form_.SE1->setValue(l.startPosition);

    form_.screen.Settings() = l.settings;
    protocol::UpdateFrequency(form_.screen.State(), form_.screen.Settings());
    form_.view.ShowSettings();
    form_.reference->ShowPrimaryUnitBox();
    // Frames wait until the entry's settings went out; an entry that could not
    // be read sends nothing, so it must not stop the readings either.
    form_.state.DecodePaused = 1;
    form_.connection->Commands().BuildSettingsCommand();
}

bool ProfileControl::WriteProfileEntry(int n) {
    const std::optional<QByteArray> bytes = ReadOpenProfileToEdit();
    if (!bytes) return false;
    const profiles::TEdit edit =
        profiles::StoreEntry(Bytes(*bytes), n, profiles::EntryFromEditor(EditorState()));
    if (edit.Ok() && n > form_.state.ProfileCount) {
        // A new entry behind the last one changes the count too: whole file.
        if (!SaveWhole(form_.state.ProfilePath, ToQByteArray(edit.file))) return false;
        CountChanged(edit.count);
        return true;
    }
    if (!ApplyEdit(edit, n)) return false;
    // One existing entry: only its 72 bytes change, written where they are.
    QFile file(form_.state.ProfilePath);
    const auto at = static_cast<qint64>(profiles::EntryOffset(n));
    const QByteArray entry = ToQByteArray(std::span<const std::uint8_t>(edit.file).subspan(
        profiles::EntryOffset(n), profiles::kEntrySize));
    if (file.open(QIODevice::ReadWrite) && file.seek(at) && file.write(entry) == entry.size() &&
        file.flush())
        return true;
    Log(Text(i18n::proftext::CannotWrite) + form_.state.ProfilePath + ": " + file.errorString());
    return false;
}

bool ProfileControl::ApplyEdit(const profiles::TEdit& edit, int n) {
    using profiles::TEditError;
    switch (edit.error) {
        case TEditError::None:
            return true;
        case TEditError::EmptyProfile:
            Log(Text(i18n::proftext::EmptyProfile));
            return false;
        case TEditError::Damaged:
            Log(Text(i18n::proftext::Damaged) + form_.state.ProfilePath + ": " +
                DamageText(edit.damage));
            return false;
        case TEditError::OutOfRange:
            break;
    }
    Log(Text(i18n::proftext::NoSuchEntry) + QString::number(n) + Text(i18n::proftext::CountLabel) +
        QString::number(form_.state.ProfileCount));
    return false;
}

void ProfileControl::BB1Click() {
    const int n = form_.SE2->value();
    if (WriteProfileEntry(n) && Multi())
        ShowProfileInGrid(n == form_.state.ProfileCount ? 0 : n - 1);
    form_.SE2->setFocus();
}

void ProfileControl::Button_AddClick() {
    const int n = form_.SE2->value();
    const std::optional<QByteArray> bytes = ReadOpenProfileToEdit();
    if (!bytes) return;
    const profiles::TEdit edit =
        profiles::InsertEntry(Bytes(*bytes), n, profiles::EntryFromEditor(EditorState()));
    if (!ApplyEdit(edit, n) || !SaveWhole(form_.state.ProfilePath, ToQByteArray(edit.file))) return;
    CountChanged(edit.count);
    if (Multi()) ShowProfileInGrid(0);
}

void ProfileControl::Button_DELClick() {
    const int n = form_.SE2->value();
    const std::optional<QByteArray> bytes = ReadOpenProfileToEdit();
    if (!bytes) return;
    const profiles::TEdit edit = profiles::DeleteEntry(Bytes(*bytes), n);
    if (!ApplyEdit(edit, n) || !SaveWhole(form_.state.ProfilePath, ToQByteArray(edit.file))) return;
    CountChanged(edit.count);
    if (Multi()) ShowProfileInGrid(0);
}

void ProfileControl::BB2Click() {
    LoadProfileEntry(form_.SE2->value());
}

void ProfileControl::CBox6Click(int index) {
    const int n = index + 1;
    if (n < 1) return;
    form_.SE2->setValue(n);
    LoadProfileEntry(n);
    if (Multi() && !form_.recording->Running()) form_.log->SelectGridCell(n, 1);
}

// Opening the list only rereads the names: the entry in the editor, and the
// number in SE2 that names it, stay until an entry is chosen.
void ProfileControl::CBox6DropDown() {
    RefreshEntryNames();
}

void ProfileControl::SB1Click() {
    const QString chosen = ChooseFile(true);
    if (chosen.isEmpty()) {
        Message(Q(form_.lexicons.D1.GetItem(kFailed)));
        return;
    }
    const QString path = WithExtension(chosen);
    if (!CreateProfile(path)) {
        Message(Q(form_.lexicons.D1.GetItem(kFailed)));
        return;
    }
    Message(Q(form_.lexicons.D1.GetItem(kCreated)));
    UseProfile(path);
}

void ProfileControl::UseProfile(const QString& path) {
    form_.settingsController->SaveLastProfilePath(path);
    bool open = form_.settingsController->LoadSettings();
    // Settings that could not be stored reopen the profile remembered before:
    // the chosen one is what the window shows and edits all the same.
    if (form_.state.ProfilePath != path) open = OpenProfile(path);
    if (open) {
        form_.SB3->setEnabled(true);
        form_.SB4->setEnabled(true);
    }
    if (open && Multi()) ShowProfileInGrid(0);
}

void ProfileControl::SB2Click() {
    const QString path = ChooseFile(false);
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path)) {
        // A new name: the file is made with the editor as entry 1 and used,
        // but not remembered.
        if (!CreateProfile(path)) {
            Message(Q(form_.lexicons.D1.GetItem(kFailed)));
            return;
        }
        form_.state.ProfilePath = path;
        CountChanged(1);
        return;
    }
    const std::optional<QByteArray> bytes = ReadProfileFile(path);
    const profiles::TCount count = bytes ? profiles::ReadCount(Bytes(*bytes))
                                         : profiles::TCount{0, profiles::TDamage::ShortFile};
    if (!bytes || (!count.Ok() && !profiles::Salvage(Bytes(*bytes)))) {
        if (bytes) Log(Text(i18n::proftext::Damaged) + path + ": " + DamageText(count.damage));
        Message(Q(form_.lexicons.D1.GetItem(kFailed)));
        return;
    }
    UseProfile(path);
}

void ProfileControl::SB3Click() {
    const QString chosen = ChooseFile(true);
    if (chosen.isEmpty() || !QFileInfo(form_.state.ProfilePath).isFile()) return;
    std::optional<QByteArray> bytes = ReadProfileFile(form_.state.ProfilePath);
    // A profile cut short is saved as a sound one holding its whole entries.
    if (bytes && profiles::Salvage(Bytes(*bytes)))
        bytes = ToQByteArray(profiles::Salvaged(Bytes(*bytes)));
    const QString path = WithExtension(chosen);
    if (!bytes || !SaveWhole(path, *bytes)) {
        Message(Q(form_.lexicons.D1.GetItem(kFailed)));
        return;
    }
    UseProfile(path);
}

void ProfileControl::SB4Click() {
    form_.SetDisplayColour(form_.Panel_RLCD, TForm1::kDisplayColour);
    const bool editing = form_.SB4->isChecked();
    for (QPushButton* b : {form_.Button_Add, form_.Button_DEL, form_.BB1}) b->setEnabled(editing);
    if (editing) {
        form_.SP3->setEnabled(false);
        if (form_.SP1->isEnabled()) form_.recording->AllowStart(false);
    } else {
        form_.SP3->setEnabled(true);
        if (!form_.SP3->isChecked()) form_.recording->AllowStart(true);
        form_.connection->Commands().BuildSettingsCommand();
    }
}

void ProfileControl::ShowProfileInGrid(int first) {
    LogTableModel& cells = form_.SG->Cells();
    if (first == 0) {
        form_.log->ResetLogTable(form_.state.ProfileCount + 1);
        const profiles::THeaderCells header = profiles::ProfileHeaderCells(form_.lexicons);
        for (int c = 0; c < profiles::kViewColumns; ++c)
            if (header[static_cast<std::size_t>(c)])
                cells.SetCell(0, c, Q(*header[static_cast<std::size_t>(c)]));
    } else {
        cells.ClearRows(first + 1, first + 1);
    }
    if (form_.settingsController->LoadSettings()) {
        form_.SB3->setEnabled(true);
        form_.SB4->setEnabled(true);
    }
    const std::optional<QByteArray> bytes = ReadOpenProfile();
    if (!bytes) return;
    const profiles::TProfile profile = profiles::ReadProfile(Bytes(*bytes));
    const int from = first == 0 ? 1 : first + 1;
    const int to = first == 0 ? profile.Count() : std::min(first + 1, profile.Count());
    for (int i = from; i <= to && i < cells.RowCount(); ++i) {
        const profiles::TRowCells row = profiles::ProfileRowCells(
            profile.entries[static_cast<std::size_t>(i - 1)], i, form_.screen.State().Model,
            form_.screen.Settings().FreqIndex(), form_.lexicons);
        for (int c = 0; c < profiles::kViewColumns - 1; ++c)
            cells.SetCell(i, c, Q(row[static_cast<std::size_t>(c)]));
    }
}
