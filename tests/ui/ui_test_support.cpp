#include "ui/ui_test_support.h"

#include "ui/target_option_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidgetItem>

namespace avrtazu::uitest {

Names entries(const QComboBox& list) {
    Names texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.itemText(i).toStdString());
    }
    return texts;
}

Names entries(const QListWidget& list) {
    Names texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.item(i)->text().toStdString());
    }
    return texts;
}

Names entries(const QTreeWidgetItem* parent) {
    Names texts;
    for (int i = 0; i < parent->childCount(); ++i) {
        texts.push_back(parent->child(i)->text(0).toStdString());
    }
    return texts;
}

Names UiTest::logs(long level) const {
    Names lines;
    for (const auto& line : hub->logs) {
        if (line.level == level) {
            lines.push_back(level == 3 ? line.context + "|" + line.message : line.message);
        }
    }
    return lines;
}

Names UiTest::messageTexts() const {
    Names texts;
    for (const auto& message : dialogs.messages()) {
        texts.push_back(message.text);
    }
    return texts;
}

void UiTest::answerDialogs(const std::string& text, const std::string& editName,
                           const std::string& buttonName) {
    onModal([this, text, editName, buttonName](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        control<QLineEdit>(dialog, editName).setText(QString::fromLocal8Bit(text));
        if (!buttonName.empty()) {
            click(dialog, buttonName);
        } else {
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        }
        return dialog.result();
    });
}

void UiTest::cancelDialogs() {
    onModal([this](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        return static_cast<int>(QDialog::Rejected);
    });
}

OptionsTest::OptionsTest() {
    Configuration standard("default", "demo.o");
    standard.setOutputDirectory("default\\");
    standard.addIncludeDirectory("C:\\work\\demo\\inc");
    standard.addIncludeDirectory("D:\\avr\\include");
    standard.addAsmIncludeDirectory("asm");
    standard.addLibraryDirectory("D:\\avr\\lib");
    Configuration release("Release", "release.o");
    release.setOutputDirectory("out\\");
    release.addIncludeDirectory("D:\\release\\include");
    project.addConfig(standard);
    project.addConfig(release);
    project.addConfig(Configuration("alpha", "alpha.o"));
}

std::unique_ptr<CProjectPropertiesSheet> OptionsTest::makeSheet(Project& edited) {
    auto sheet = std::make_unique<CProjectPropertiesSheet>(edited, false);
    sheet->targetPage().setSupportedParts({"Custom", "AT90S2313"});
    return sheet;
}

int OptionsTest::runSheet(CProjectPropertiesSheet& sheet, const std::function<void()>& user,
                          const std::string& button) {
    onModal([&](QDialog& dialog) {
        user();
        click(dialog, button);
        return dialog.result();
    });
    const int result = sheet.DoModal();
    onModal({});
    return result;
}

} // namespace avrtazu::uitest
