#include "ui/project_properties_dialog.h"
#include "ui/properties_dialog.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/file_system.h"
#include "platform/temp_drive.h"
#include "ui/file_dialogs_support.h"
#include "ui/file_info_text.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

namespace avrtazu {
namespace {

using dialogtest::DialogTestScope;
using test::TempDrive;

std::string field(const QDialog& dialog, const char* name) {
    const auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(name));
    if (edit == nullptr) {
        ADD_FAILURE() << "no field " << name;
        return "<missing>";
    }
    EXPECT_TRUE(edit->isReadOnly()) << name;
    return edit->text().toStdString();
}

std::string dateOf(const std::string& windowsPath) {
    return FileInfoText::dateText(*FileSystem::modificationTime(windowsPath));
}

class PropertiesDialogsTest : public ::testing::Test {
protected:
    PropertiesDialogsTest() : project("demo", drive.windows("proj\\")) {
        project.addConfig(Configuration("default", "demo.cof"));
        project.setOutputDirectory("obj\\");
        drive.makeFolder("proj");
    }

    TempDrive drive;
    DialogTestScope scope;
    Project project;
};

TEST_F(PropertiesDialogsTest, ObjectFileLiesInTheOutputDirectoryUnderTheStemOfTheName) {
    const struct {
        const char* file;
        const char* outputDir;
        const char* object;
    } cases[] = {
        {"C:\\proj\\src.c", "obj\\", "C:\\proj\\obj\\src.o"},
        {"C:\\proj\\lib\\uart.s", "", "C:\\proj\\uart.o"},
        {"C:\\proj\\a.b.c", "default\\", "C:\\proj\\default\\a.b.o"},
        {"D:\\elsewhere\\x.c", "obj\\", "C:\\proj\\obj\\x.o"},
        {"C:\\proj\\src.c", "D:\\out\\", "D:\\out\\src.o"},
        {"C:\\proj\\Makefile", "obj\\", "C:\\proj\\obj\\Makefile.o"},
    };
    for (const auto& c : cases) {
        project.setOutputDirectory(c.outputDir);
        EXPECT_EQ(CPropertiesDialog::objectFilePath(project, c.file), c.object) << c.file;
    }
}

TEST_F(PropertiesDialogsTest, FilePropertiesShowTheFileAndItsObjectFile) {
    drive.write("proj/src.c", std::string(1023, 'x'));
    drive.write("proj/obj/src.o", std::string(1536, 'x'));
    CPropertiesDialog dialog(project, drive.windows("proj\\src.c"));
    EXPECT_EQ(dialog.windowTitle().toStdString(), "File properties");
    const std::map<std::string, std::string> expected = {
        {"fileName", "src.c"},       {"fileLocation", "C:\\proj\\"},
        {"fileSize", "1023 bytes"},  {"lastModified", dateOf("C:\\proj\\src.c")},
        {"objectFileName", "src.o"}, {"objectFileLocation", "C:\\proj\\obj\\"},
        {"objectSize", "1.50 kb."},  {"lastCompiled", dateOf("C:\\proj\\obj\\src.o")},
    };
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(field(dialog, name.c_str()), text) << name;
    }
    EXPECT_NE(field(dialog, "lastModified"), "");
}

TEST_F(PropertiesDialogsTest, MissingObjectFileIsSaidSo) {
    drive.write("proj/inc/io.h", std::string(2048, 'x'));
    // A folder of the object's name is no object file either.
    drive.makeFolder("proj/obj/io.o");
    CPropertiesDialog dialog(project, drive.windows("proj\\inc\\io.h"));
    EXPECT_EQ(field(dialog, "fileLocation"), "C:\\proj\\inc\\");
    EXPECT_EQ(field(dialog, "fileSize"), "2.00 kb.");
    EXPECT_EQ(field(dialog, "objectFileName"), "Object file does not exist");
    EXPECT_EQ(field(dialog, "objectFileLocation"), "");
    EXPECT_EQ(field(dialog, "objectSize"), "");
    EXPECT_EQ(field(dialog, "lastCompiled"), "");
}

TEST_F(PropertiesDialogsTest, FileThatCannotBeReadFailsConstructionWithAShortMessage) {
    drive.makeFolder("proj/folder.c");
    const std::string longPath = drive.windows("proj\\" + std::string(200, 'n') + ".c");
    const struct {
        std::string path;
        std::string messageStart;
        std::size_t length; // 0: any length up to 150
    } cases[] = {
        {"C:\\proj\\missing.c", "C:\\proj\\missing.c: No such file or directory", 0},
        {"C:\\proj\\folder.c", "C:\\proj\\folder.c: Is a directory", 0},
        {"Q:\\unmapped\\x.c", "Q:\\unmapped\\x.c: No such file or directory", 0},
        {longPath, longPath.substr(0, 150), 150},
    };
    for (const auto& c : cases) {
        try {
            CPropertiesDialog dialog(project, c.path);
            ADD_FAILURE() << "no error for " << c.path;
        } catch (const std::runtime_error& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.substr(0, c.messageStart.size()), c.messageStart);
            if (c.length != 0) {
                EXPECT_EQ(message.size(), c.length);
            } else {
                EXPECT_LE(message.size(), 150u);
            }
        }
    }
}

TEST_F(PropertiesDialogsTest, FilePropertiesWithoutActiveConfigurationFailConstruction) {
    drive.write("proj/src.c", std::string(1, 'x'));
    Project broken("demo", drive.windows("proj\\"));
    EXPECT_THROW(CPropertiesDialog(broken, drive.windows("proj\\src.c")), std::runtime_error);
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesShowProjectAndOutput) {
    drive.write("proj/demo.aps", std::string(10, 'x'));
    drive.write("proj/obj/demo.cof", std::string(1536, 'x'));
    project.setPart("ATmega16");
    project.setDirty(true);
    CProjectPropertiesDialog dialog(project);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Project properties");
    const std::map<std::string, std::string> expected = {
        {"projectFile", "demo.aps"},
        {"projectDirectory", "C:\\proj\\"},
        {"lastSaved", dateOf("C:\\proj\\demo.aps")},
        {"activeConfiguration", "default"},
        {"optionsChanged", "Yes"},
        {"outputFile", "C:\\proj\\obj\\demo.cof"},
        {"lastBuild", dateOf("C:\\proj\\obj\\demo.cof")},
        {"outputFileSize", "1.50 kb."},
        {"targetPart", "ATmega16"},
    };
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(field(dialog, name.c_str()), text) << name;
    }
    EXPECT_TRUE(scope.logLines(2).empty());
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesReportFilesWhoseStatusIsMissing) {
    const struct {
        bool projectFile;
        bool outputFile;
        const char* lastSaved; // empty: a date
        const char* lastBuild;
        const char* outputSize;
        std::size_t errors;
    } cases[] = {
        {true, false, "", "Unknown", "Unknown", 1},
        {false, true, "Error!", "", "7 bytes", 1},
        {false, false, "Error!", "Unknown", "Unknown", 2},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(drive.linux("proj/demo.aps"));
        std::filesystem::remove(drive.linux("proj/obj/demo.cof"));
        scope.hub->logs.clear();
        if (c.projectFile) {
            drive.write("proj/demo.aps", std::string(1, 'x'));
        }
        if (c.outputFile) {
            drive.write("proj/obj/demo.cof", std::string(7, 'x'));
        }
        CProjectPropertiesDialog dialog(project);
        SCOPED_TRACE(std::string(c.lastSaved) + "/" + c.lastBuild);
        if (*c.lastSaved != '\0') {
            EXPECT_EQ(field(dialog, "lastSaved"), c.lastSaved);
        } else {
            EXPECT_EQ(field(dialog, "lastSaved"), dateOf("C:\\proj\\demo.aps"));
        }
        if (*c.lastBuild != '\0') {
            EXPECT_EQ(field(dialog, "lastBuild"), c.lastBuild);
        } else {
            EXPECT_EQ(field(dialog, "lastBuild"), dateOf("C:\\proj\\obj\\demo.cof"));
        }
        EXPECT_EQ(field(dialog, "outputFileSize"), c.outputSize);
        EXPECT_EQ(field(dialog, "outputFile"), "C:\\proj\\obj\\demo.cof");
        EXPECT_EQ(field(dialog, "optionsChanged"), "No");
        // The rest is still filled.
        EXPECT_EQ(field(dialog, "targetPart"), "Custom");
        const auto errors = scope.logLines(2);
        ASSERT_EQ(errors.size(), c.errors);
        for (const auto& line : errors) {
            EXPECT_EQ(line.message, "Failed getting project file status");
        }
    }
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesWithoutActiveConfigurationStopFillingAndLogIt) {
    drive.write("proj/demo.aps", std::string(1, 'x'));
    Project broken("demo", drive.windows("proj\\"));
    CProjectPropertiesDialog dialog(broken);
    EXPECT_EQ(field(dialog, "projectFile"), "demo.aps");
    EXPECT_EQ(field(dialog, "projectDirectory"), "C:\\proj\\");
    EXPECT_EQ(field(dialog, "lastSaved"), dateOf("C:\\proj\\demo.aps"));
    EXPECT_EQ(field(dialog, "activeConfiguration"), "");
    EXPECT_EQ(field(dialog, "targetPart"), "");
    const auto debug = scope.logLines(3);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0].context, "CProjectPropertiesDialog::OnInitDialog()");
    EXPECT_EQ(debug[0].message, "Error getting Project properties: "
                                "Project::currentConfigName(): Invalid Configuration");
}

} // namespace
} // namespace avrtazu
