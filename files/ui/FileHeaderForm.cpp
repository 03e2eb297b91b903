#include "files/ui/FileHeaderForm.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "settings/SettingsStore.h"
#include "shell/ui/Twips.h"

namespace tidewell::ui {

namespace {

constexpr const char* kSection = "FileHeaderForm";

}  // namespace

FileHeaderForm::FileHeaderForm(const std::string& headerText, SettingsStore* store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setWindowTitle("File Header");
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    SetText(headerText);

    const QFontMetrics metrics(text_->font());
    resize(metrics.averageCharWidth() * 70, metrics.lineSpacing() * 20);
    if (store_ != nullptr) {
        auto read = [this](const char* key, int pixels) {
            return PixelsFromTwips(ReadNumber(*store_, kSection, key, TwipsFromPixels(pixels)));
        };
        if (store_->Find(kSection, "Top")) move(read("Left", x()), read("Top", y()));
        resize(read("Width", width()), read("Height", height()));
    }
}

void FileHeaderForm::SetText(const std::string& headerText) {
    // the header is the files' Latin-1 text with their CR LF line ends
    QString text = QString::fromLatin1(headerText);
    text.replace("\r\n", "\n");
    text_->setPlainText(text);
}

QString FileHeaderForm::Text() const {
    return text_->toPlainText();
}

void FileHeaderForm::done(int result) {
    if (store_ != nullptr) {
        auto write = [this](const char* key, int pixels) {
            store_->Write(kSection, key, SingleText(static_cast<float>(TwipsFromPixels(pixels))));
        };
        write("Top", y());
        write("Left", x());
        write("Width", width());
        write("Height", height());
    }
    QDialog::done(result);
}

}  // namespace tidewell::ui
