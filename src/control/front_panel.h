// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class TForm1;

// The meter's function keys repeated on the window: brightness, hold, sound,
// factory defaults, power-off, and the three display-mode buttons. The mode
// buttons only ask; the screen follows the meter's next frames.
class FrontPanel : public QObject {
    Q_OBJECT

  public:
    FrontPanel(TForm1& form, QObject* parent);

    void SP2Click();
    void SP3Click();
    void SP4Click();
    void SBe1Click();
    void SP5Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();

  private:
    TForm1& form_;
};
