#include "instrument/ui/TerminalWindow.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "instrument/Commands.h"
#include "instrument/ProgramState.h"
#include "shell/ui/StatusPanel.h"
#include "stream/Prompter.h"

namespace tidewell::ui {

namespace {

QString Q(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The text as a text box shows it: CR LF and a lone CR each end a line.
QString Shown(const std::string& text) {
    QString out = Q(text);
    out.replace("\r\n", "\n");
    out.replace('\r', '\n');
    return out;
}

void ScrollToEnd(QPlainTextEdit* box) {
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}

constexpr const char* kBaudRates[] = {"115200", "57600", "38400", "19200", "9600", "4800"};

}  // namespace

TerminalWindow::TerminalWindow(ProgramState& program, Prompter& prompter, int slot,
                               const QList<QMenu*>& menus, QWidget* parent)
    : QMainWindow(parent, Qt::Window), program_(program), prompter_(prompter), slot_(slot) {
    for (QMenu* menu : menus) menuBar()->addMenu(menu);
    QMenu* terminal = menuBar()->addMenu("&Terminal");
    terminal->addAction("Change &Baud Rate...", [this] { ChangeBaudRate(); });
    terminal->addAction("&Clear Response", [this] { ResponseClear(); });
    terminal->addAction("Clear &Data", [this] { dataBox_->clear(); });

    command_ = new QLineEdit(this);
    command_->setToolTip("Command");
    command_->installEventFilter(this);
    responseBox_ = new QPlainTextEdit(this);
    responseBox_->setReadOnly(true);
    responseBox_->setToolTip("Instrument response");
    dataBox_ = new QPlainTextEdit(this);
    dataBox_->setReadOnly(true);
    dataBox_->setToolTip("Data from instrument");
    dataBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed("Monospace");
    for (QPlainTextEdit* box : {responseBox_, dataBox_}) {
        box->setFont(fixed);
        box->setFocusPolicy(Qt::NoFocus);  // keys anywhere go to the command box
    }
    command_->setFont(fixed);

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(command_);
    topLayout->addWidget(responseBox_);

    auto* display = new QGroupBox("Data Display", this);
    auto* displayLayout = new QVBoxLayout(display);
    auto* group = new QButtonGroup(this);
    const char* names[] = {"Raw Hex", "Raw Decimal", "Calibrated", "Sigma Corrected"};
    for (int i = 0; i < 4; ++i) {
        modes_[i] = new QRadioButton(names[i], display);
        modes_[i]->setFocusPolicy(Qt::NoFocus);
        group->addButton(modes_[i]);
        displayLayout->addWidget(modes_[i]);
    }
    modes_[0]->setToolTip("Display Incomming Data Raw");
    modes_[0]->setChecked(true);
    displayLayout->addStretch();

    auto* bottom = new QWidget(this);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(dataBox_, 1);
    bottomLayout->addWidget(display);

    divider_ = new QSplitter(Qt::Vertical, this);
    divider_->addWidget(top);
    divider_->addWidget(bottom);
    divider_->setChildrenCollapsible(false);
    setCentralWidget(divider_);

    auto panel = [this](const char* name, int width) { return AddStatusPanel(*this, name, width); };
    statusPanel_ = panel("Status", 140);
    depthPanel_ = panel("Depth", 80);
    voltagePanel_ = panel("Voltage", 70);
    temperaturePanel_ = panel("Temp.", 70);
    resize(720, 520);
    command_->setFocus();
}

TerminalMode TerminalWindow::Mode() const {
    for (int i = 0; i < 4; ++i)
        if (modes_[i]->isChecked()) return static_cast<TerminalMode>(i);
    return TerminalMode::kRawHex;
}

void TerminalWindow::SetMode(TerminalMode mode) {
    modes_[static_cast<int>(mode)]->setChecked(true);
}

QString TerminalWindow::UpdateTerminal(bool feet, const QString& status) {
    statusPanel_->setText(status);
    std::string text = tidewell::ResponseText(program_, slot_, kResponseBoxLength);
    if (text != response_) {
        response_ = std::move(text);
        ShowResponse();
    }
    const TerminalUpdate update = tidewell::UpdateTerminal(program_, slot_, Mode(), feet);
    if (update.processed == 0) return {};
    for (const std::string& block : update.blocks) AddLineToDataBox(block);
    depthPanel_->setText(Q(update.depthPanel));
    temperaturePanel_->setText(Q(update.temperaturePanel));
    voltagePanel_->setText(Q(update.voltagePanel));
    return voltagePanel_->text();
}

void TerminalWindow::ShowResponse() {
    responseBox_->setPlainText(Shown(response_));
    ScrollToEnd(responseBox_);
}

void TerminalWindow::ResponseAdd(const std::string& s) {
    const size_t cr = s.rfind('\r');
    lastLineStart_ = response_.size() + (cr == std::string::npos ? 0 : cr + 1);
    response_ += s;
    ShowResponse();
}

void TerminalWindow::ResponseClearLastLine() {
    response_.resize(std::min(lastLineStart_, response_.size()));
    ShowResponse();
}

void TerminalWindow::ResponseRemoveDataLines() {
    response_ = RemoveDataLines(response_);
    ShowResponse();
}

void TerminalWindow::ResponseClear() {
    response_.clear();
    lastLineStart_ = 0;
    ShowResponse();
}

void TerminalWindow::AddLineToDataBox(const std::string& line) {
    const QString shown = Shown(line);
    const auto length = static_cast<size_t>(dataBox_->document()->characterCount() - 1);
    QTextCursor cursor(dataBox_->document());
    if (const size_t cut = DataBoxCut(length, static_cast<size_t>(shown.size()), kDataBoxLength)) {
        cursor.setPosition(static_cast<int>(cut), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    ScrollToEnd(dataBox_);
}

void TerminalWindow::TypeKey(char key) {
    if (!program_.Slot(slot_).PortOpen()) {
        prompter_.ShowMessage(kNoConnectionForCommands);
        return;
    }
    if (key == '\r') {
        EnterTerminalCommand(program_, slot_, command_->text().toStdString());
        command_->clear();
        return;
    }
    if (key == '\b')
        command_->backspace();
    else
        command_->setText(command_->text() + QChar::fromLatin1(key));
    command_->end(false);
    TypeTerminalKey(program_, slot_, key);
}

void TerminalWindow::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() != 1 || text[0].unicode() > 0xFF) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    TypeKey(text[0].toLatin1());
}

bool TerminalWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == command_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].unicode() <= 0xFF) {
            TypeKey(key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                        ? '\r'
                        : text[0].toLatin1());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TerminalWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    emit Hidden();
}

QString TerminalWindow::ResponseText() const {
    return responseBox_->toPlainText();
}

QString TerminalWindow::DataText() const {
    return dataBox_->toPlainText();
}

void TerminalWindow::ChangeBaudRate() {
    QStringList rates;
    for (const char* rate : kBaudRates) rates << rate;
    bool ok = false;
    const QString rate =
        QInputDialog::getItem(this, "Change Baud Rate", "Baud rate:", rates, 0, false, &ok);
    if (ok) SendCommand(program_, "BAUD", slot_, rate.toStdString());
}

}  // namespace tidewell::ui
