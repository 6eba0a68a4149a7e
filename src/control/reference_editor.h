// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <cstdint>
#include <string>

#include "log/tolerance.h"
#include "protocol/settings.h"
#include "protocol/state.h"

class QComboBox;
class QLineEdit;
class TForm1;

// The reference values and tolerances the readings are sorted against: the
// editor's text filters, which unit list shows, and the check of each shown
// reading. The deviations of the last check live here.
class ReferenceEditor : public QObject {
    Q_OBJECT

  public:
    ReferenceEditor(TForm1& form, QObject* parent);

    // Text filters of the value and tolerance boxes, run on each change.
    void E2Change();
    void E11Change();
    void CBox5Change();
    void CBox51Change();
    // The unit list of the chosen parameter.
    void ShowPrimaryUnitBox();
    void ShowSecondaryUnitBox();

    // The editor as the check reads it.
    logcore::TReferenceInput Input() const;
    bool PrimaryOn() const;
    bool SecondaryOn() const;

    // Checks one reading; the deviations keep their values where the check did
    // not compute them. Returns the verdict.
    std::int32_t CheckTolerance(const protocol::TMeterState& state,
                                const protocol::TMeterSettings& settings);
    double PrimaryDeviation() const { return primaryDeviation_; }
    double SecondaryDeviation() const { return secondaryDeviation_; }

    // Lists the tolerance items with the locale's decimal separator; the off
    // entry is each box's item 0 in the current language.
    void FillToleranceLists();

  private:
    void NormalizeNumber(QLineEdit* edit);
    void NormalizeTolerance(QComboBox* box);
    std::string Separator() const { return separator_; }

    TForm1& form_;
    std::string separator_;  // the locale's decimal separator
    double primaryDeviation_ = 0;
    double secondaryDeviation_ = 0;
};
