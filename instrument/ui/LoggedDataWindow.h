#pragma once
// The Logged Data window of a data window connected to an instrument: the casts held in the
// instrument's memory, their download into raw (and calibrated) files with the progress of
// each cast, and their deletion (a Trevan-2, cast by cast) or the erasing of the whole log
// (every other instrument). The engine does the work (instrument/CastTransfer.h); the window
// starts it, renders what it reports and locks its controls while a transfer runs.

#include <QDialog>
#include <vector>

#include "files/CastList.h"
#include "instrument/CastTransfer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tidewell::ui {

class LoggedDataWindow : public QDialog, private CastTransferView {
    Q_OBJECT
  public:
    // `recording`: the data window's, whose files a transfer uses.
    LoggedDataWindow(ProgramState& program, Waiter& waiter, RecordingContext& recording, int slot,
                     QWidget* parent = nullptr);

    // Refresh: the listing asked again, the status following it once a second.
    void Refresh();
    // Transfer (or Stop while one runs): the selected casts.
    void Transfer();
    // Delete (Trevan-2) or Erase (the others).
    void DeleteOrErase();

    const CastDirectory& directory() const { return directory_; }
    QListWidget* list() const { return list_; }
    QLineEdit* basePath() const { return base_; }
    QString StatusText() const;

  protected:
    // Cancel, Esc and the close box: a running transfer is stopped first, the window stays.
    void reject() override;

  private:
    // CastTransferView
    void ShowStatus(const std::string& text) override;
    void ShowProgress(int64_t value, int64_t range, const std::string& label,
                      const std::string& remaining) override;
    void CastDone(int64_t number, const std::string& rawPath, const std::string& datPath) override;
    void TransferRunning(bool running) override;
    void Beep() override;

    void ShowDirectory();
    std::vector<bool> Selection() const;
    // Every button, the check box and the base path: locked while the instrument works.
    std::vector<QWidget*> Controls() const;

    ProgramState& program_;
    CastTransferContext ctx_;
    const int slot_;
    CastDirectory directory_;
    bool loading_ = false;
    bool transferring_ = false;
    bool deleting_ = false;

    QLabel* heading_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* memory_ = nullptr;
    QLineEdit* base_ = nullptr;
    QCheckBox* datCheck_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* remaining_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* transfer_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* selectAll_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tidewell::ui
