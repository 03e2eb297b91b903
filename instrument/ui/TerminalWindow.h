#pragma once
// The terminal of a data window: a command box whose keys go to the instrument as they are
// typed, a response box with what the instrument says outside the data, and a data box with
// the decoded samples as text in the chosen display mode. It takes its lines from the slot's
// terminal queue once per tick of the data window; the engine does the work.

#include <QMainWindow>
#include <string>

#include "instrument/Terminal.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QSplitter;

namespace tidewell {
class ProgramState;
class Prompter;
}  // namespace tidewell

namespace tidewell::ui {

// Characters the response and data boxes hold at most.
inline constexpr size_t kResponseBoxLength = 20000;
inline constexpr size_t kDataBoxLength = 60000;

class TerminalWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `menus`: the owning data window's menus that the terminal repeats.
    TerminalWindow(ProgramState& program, Prompter& prompter, int slot, const QList<QMenu*>& menus,
                   QWidget* parent);

    // Once per tick: the unrouted text into the response box, the queued lines into the data
    // box, the status panels. `feet`: the data window's depth unit; `status`: its status text.
    // Returns the Voltage text, which the data window shows too ("" when no line came).
    QString UpdateTerminal(bool feet, const QString& status);

    void ResponseAdd(const std::string& s);
    void ResponseClearLastLine();
    void ResponseRemoveDataLines();
    void ResponseClear();
    void AddLineToDataBox(const std::string& line);

    // A key typed into the command box (Enter is "\r").
    void TypeKey(char key);
    QString ResponseText() const;
    QString DataText() const;
    void SetMode(TerminalMode mode);

  signals:
    // Closed by the user: the Window menus no longer list it.
    void Hidden();

  protected:
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowResponse();
    void ChangeBaudRate();
    TerminalMode Mode() const;

    ProgramState& program_;
    Prompter& prompter_;
    const int slot_;
    std::string response_;      // the response box's text as received (CR LF kept)
    size_t lastLineStart_ = 0;  // where the response box's last line begins
    QLineEdit* command_ = nullptr;
    QPlainTextEdit* responseBox_ = nullptr;
    QPlainTextEdit* dataBox_ = nullptr;
    QSplitter* divider_ = nullptr;
    QRadioButton* modes_[4] = {};
    QLabel* statusPanel_ = nullptr;
    QLabel* depthPanel_ = nullptr;
    QLabel* voltagePanel_ = nullptr;
    QLabel* temperaturePanel_ = nullptr;
};

}  // namespace tidewell::ui
