// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "log/tolerance.h"
#include "protocol/settings.h"
#include "protocol/state.h"

class QComboBox;
class QEvent;
class QLineEdit;
class QWidget;
class TForm1;

// The reference values and tolerances the readings are sorted against: the
// editor's text filters, which unit list shows, and the check of each shown
// reading. The deviations of the last check live here.
class ReferenceEditor : public QObject {
    Q_OBJECT

  public:
    ReferenceEditor(TForm1& form, QObject* parent);

    // Text filters of the value and tolerance boxes, run on each change. A
    // unit prefix typed into a value chooses the unit beside it.
    void E2Change();
    void E11Change();
    void CBox5Change();
    void CBox51Change();
    // A tolerance chosen from the list or confirmed (Enter, Tab): the focus
    // moves on; typing alone leaves it in the box.
    void CBox5Confirmed();
    void CBox51Confirmed();
    // The unit list of the chosen parameter.
    void ShowPrimaryUnitBox();
    void ShowSecondaryUnitBox();

    // The editor as the check reads it.
    logcore::TReferenceInput Input() const;
    bool PrimaryOn() const;
    bool SecondaryOn() const;

    // Checks one reading and keeps its deviations (logcore::TDeviations).
    // Returns the verdict.
    std::int32_t CheckTolerance(const protocol::TMeterState& state,
                                const protocol::TMeterSettings& settings);
    std::optional<double> PrimaryDeviation() const { return deviations_.primary; }
    std::optional<double> SecondaryDeviation() const { return deviations_.secondary; }

    // Lists the tolerance items with the locale's decimal separator; the off
    // entry is each box's item 0 in the current language.
    void FillToleranceLists();

    // Before the window goes: the boxes losing the focus as they are taken
    // down confirm nothing.
    void StopWatching();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A value box and the unit list beside it (null: a value without a unit).
    void NormalizeNumber(QLineEdit* edit, QComboBox* unitBox, std::span<const int> exponents);
    void NormalizeTolerance(QComboBox* box);
    void MoveFocusOn(QComboBox* box, QWidget* next);
    // A confirmed tolerance without a number goes back to the last one that
    // had one; a good one becomes that last one.
    void KeepUsableTolerance(QComboBox* box);
    bool HoldsLimit(const QComboBox* box) const;
    QComboBox* ToleranceBoxOf(QObject* watched) const;
    std::string Separator() const { return separator_; }

    TForm1& form_;
    std::string separator_;  // the locale's decimal separator
    logcore::TDeviations deviations_;
    // The value box whose last edit was a Cyrillic "м", and its number then:
    // a "к" typed next makes it "мк".
    QLineEdit* milliBox_ = nullptr;
    QString milliNumber_;
    QHash<const QComboBox*, QString> lastTolerance_;
};
