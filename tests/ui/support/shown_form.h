// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QListWidget>
#include <QTest>
#include <memory>

#include "app/main.h"
#include "support/form_fixture.h"
#include "support/pty_port.h"

// A shown window whose adapter port is a pseudo-terminal. The port is handed
// over only after the window is shown, so the start-up probe finds no adapter
// and writes nothing the test would have to skip.
struct ShownForm {
    PtyPort port;
    FixedPortLocator* locator = nullptr;
    std::unique_ptr<FormFixture> fixture;
    TForm1* form = nullptr;

    bool Start() {
        auto owned = std::make_unique<FixedPortLocator>(QString());
        locator = owned.get();
        fixture = std::make_unique<FormFixture>(std::move(owned));
        form = fixture->form.get();
        form->show();
        if (!QTest::qWaitForWindowExposed(form)) return false;
        locator->SetPath(port.Path());
        if (!form->connection->Serial().FindAdapterPort()) return false;
        port.Drain();
        return true;
    }

    // Connected with profile editing off: settings commands go out.
    void Connect() {
        form->state.MeterConnected = true;
        form->SB4->setChecked(false);
    }
};

// The pointer entering or leaving a widget.
inline void Enter(QWidget* w) {
    const QPointF at(1, 1);
    QEnterEvent e(at, at, w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &e);
}
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

// A click on a list item as the user makes it.
inline bool ClickItem(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    if (!item) return false;
    list->scrollToItem(item);
    const QRect r = list->visualItemRect(item);
    if (!r.isValid()) return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    return true;
}
