// WhenModal.h: acts on the next modal window (a message box or a dialog) once the event loop
// shows it. The screenshot tool and the window tests use it to see and answer windows that a
// command opens and waits for.
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

inline void WhenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}
