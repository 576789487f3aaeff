#pragma once

#include <QObject>

class QWidget;

namespace tulvo {

// For start-up measurements: once the watched window has painted for the
// first time, prints "shown-at-ns <CLOCK_MONOTONIC nanoseconds>" on standard
// output and quits the application once the events waiting then have run.
class StartupProbe : public QObject {
    Q_OBJECT
  public:
    void Watch(QWidget* window);

    static long long MonotonicNanoseconds();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_ = nullptr;
    bool fired_ = false;
};

}  // namespace tulvo
