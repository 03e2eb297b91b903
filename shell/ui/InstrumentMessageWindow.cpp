#include "shell/ui/InstrumentMessageWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/SettingsKeys.h"
#include "shell/ui/Twips.h"

namespace tidewell::ui {

InstrumentMessageWindow::InstrumentMessageWindow(SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store) {
    setWindowTitle("Instrument Messages");
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    layout->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton("Clear", this);
    auto* close = new QPushButton("Close", this);
    connect(clear, &QPushButton::clicked, text_, &QPlainTextEdit::clear);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    auto px = [this](const SettingKey& key) { return PixelsFromTwips(ReadNumber(store_, key)); };
    setGeometry(px(keys::InstErrLeft), px(keys::InstErrTop), std::max(px(keys::InstErrWidth), 200),
                std::max(px(keys::InstErrHeight), 100));
}

void InstrumentMessageWindow::Append(const std::string& text) {
    text_->appendPlainText(QString::fromStdString(text));
}

void InstrumentMessageWindow::closeEvent(QCloseEvent* event) {
    const QRect g = geometry();
    auto twips = [](int px) { return std::to_string(static_cast<int>(TwipsFromPixels(px))); };
    store_.Write(keys::InstErrLeft, twips(g.x()));
    store_.Write(keys::InstErrTop, twips(g.y()));
    store_.Write(keys::InstErrWidth, twips(g.width()));
    store_.Write(keys::InstErrHeight, twips(g.height()));
    event->accept();
}

}  // namespace tidewell::ui
