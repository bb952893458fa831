// Watches, from the window's thread, for the progress dialog of an output that runs beside it:
// what it says and whether it blocks the other windows, then acts on it as a user would.
#pragma once

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <functional>

class OutputProgressWatch {
  public:
    explicit OutputProgressWatch(std::function<void(QProgressDialog&)> act) : act_(std::move(act)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }

    bool Seen = false;  // the dialog showed and was acted on
    QString Title;
    QString Label;
    bool ApplicationModal = false;
    int Ticks = 0;  // the window's thread kept running timers

  private:
    void Tick() {
        ++Ticks;
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (Seen || !dialog || !dialog->isVisible()) return;
        Seen = true;
        Title = dialog->windowTitle();
        Label = dialog->labelText();
        ApplicationModal = dialog->windowModality() == Qt::ApplicationModal;
        act_(*dialog);
    }

    std::function<void(QProgressDialog&)> act_;
    QTimer timer_;
};
