// ConverterScreenshots.cpp: glyphsmith-screenshots OUT_DIR HOTSYNC: renders the converter's
// windows to PNG files on a desktop of its own (made in a temporary folder, with HOTSYNC as the
// HotSync manager whose folder holds the install aide): the two start-up refusals, the main
// window empty and with fonts, the About box, Add Font's dialog, the save question, the Delete
// question, the details dialog in both modes and the user dialog.
#include "AppMessageBox.h"
#include "ConverterApp.h"
#include "FontChooser.h"
#include "FontDetailsDlg.h"
#include "MainFrm.h"
#include "SDI_THView.h"
#include "UserDlg.h"
#include "WhenModal.h"
#include "aboutdlg.h"
#include "app/ConversionBatch.h"
#include "app/DocumentCommands.h"
#include "core/FontBuilder.h"
#include "core/FontDoc.h"
#include "core/FontList.h"
#include "platform/win/MessageBoxTypes.h"
#include "palmdesk/UserStore.h"
#include "platform/win/Registry.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
QString g_out;

void save(QWidget* widget, const char* name) {
    const QString path = g_out + "/" + name + ".png";
    if (!widget->grab().save(path)) std::fprintf(stderr, "glyphsmith-screenshots: cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
}

// Closes a modal window with Cancel (or No, or OK).
void closeModal(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        for (auto button : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
            if (box->button(button)) {
                box->button(button)->click();
                return;
            }
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
}

// Saves the next modal window as name and closes it.
void saveNextModal(const char* name) {
    WhenModal([name](QWidget* modal) {
        save(modal, name);
        closeModal(modal);
    });
}

// Saves and closes the boxes of a refusal: the last one, whose text begins with lastText, as
// lastName, and any box shown before it (the system's own text for the cause) as earlierName.
void saveRefusal(const char* earlierName, const char* lastName, const QString& lastText) {
    WhenModal([=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        const bool last = !box || box->text().startsWith(lastText);
        save(modal, last ? lastName : earlierName);
        closeModal(modal);
        if (!last) saveRefusal(earlierName, lastName, lastText);
    });
}

// A fresh desktop root whose recorded HotSync manager is hotsync, or, when that is empty, one in a
// folder that does not exist (so that no install aide is found beside it: a desktop recording no
// manager at all would get the one installed beside the converter).
void freshDesktop(const std::string& hotsync) {
    char pattern[] = "/tmp/glyphsmith-shots-XXXXXX";
    const char* root = ::mkdtemp(pattern);
    if (!root) std::exit(1);
    ::setenv("PALMDESK_ROOT", root, 1);
    const std::string recorded = hotsync.empty() ? std::string(root) + "/Palm Desktop not installed/hotsync" : hotsync;
    win::HKEY key = nullptr;
    win::RegCreateKeyEx(win::HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core", 0, nullptr, 0,
                        win::KEY_ALL_ACCESS, nullptr, &key, nullptr);
    win::RegSetValueEx(key, "HotSyncPath", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(recorded.c_str()),
                       static_cast<win::DWORD>(recorded.size() + 1));
    win::RegCloseKey(key);
}

void addFonts(MainFrm& frame) {
    ConverterContext& context = frame.Context();
    const auto face = context.catalog.Find("DejaVu Sans", std::nullopt);
    if (!face) return;
    CFontDoc& doc = *frame.Document();
    for (int size : {9, 12, 14})
        for (FontStyle style : {FontStyle::Regular, FontStyle::Bold}) {
            ShowOutcome(ConvertOne(context.engine, doc.Fonts(), true, RequestFor({*face, size, style})));
        }
    doc.MarkModified(true);
    frame.View()->RefreshList();
}
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: glyphsmith-screenshots OUT_DIR HOTSYNC\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    std::filesystem::create_directories(argv[1]);
    const std::string hotsync = argv[2];

    {  // No install aide, then no Palm user: the two refusals.
        freshDesktop(std::string());
        saveRefusal("startup-install-aide-cause", "startup-no-install-aide", "Can not load the ");
        ConverterApp().Start();
        freshDesktop(hotsync);
        saveNextModal("startup-no-palm-users");
        ConverterApp().Start();
    }

    freshDesktop(hotsync);
    palmdesk::UserStore users;
    users.Add("Demo User", false);
    users.Add("Ann", false);
    ConverterApp app;
    if (!app.Start()) return 1;
    MainFrm& frame = *app.MainWindow();
    frame.showNormal();
    frame.resize(900, 600);
    QApplication::processEvents();
    save(&frame, "main-window");

    CAboutDlg about(&frame);
    about.show();
    save(&about, "about-box");
    about.close();

    // Add Font's dialog as it opens, and with a face of a family's lighter weight chosen.
    {
        FontChooserDlg chooser(frame.Context().catalog, frame.Context().engine, &frame);
        chooser.show();
        QApplication::processEvents();
        save(&chooser, "add-font-dialog");
        const auto light = chooser.Faces()->findItems("DejaVu Sans Light", Qt::MatchExactly);
        if (!light.isEmpty()) {
            chooser.Faces()->setCurrentItem(light.front());
            chooser.Faces()->scrollToItem(light.front());
            chooser.Styles()->setCurrentRow(1);
            chooser.SizeEdit()->setText("12");
            QApplication::processEvents();
            save(&chooser, "add-font-dialog-chosen");
        }
        chooser.close();
    }

    addFonts(frame);
    SDI_THView& view = *frame.View();
    // A name with letters of the handheld's code page, as the list shows it.
    if (frame.Document()->Fonts().Count() > 0) {
        FontDetails renamed = DetailsOf(*frame.Document(), *frame.Document()->Fonts().At(0));
        renamed.name = "DejaVu Cr\u00e8me Br\u00fbl\u00e9e";
        RenameFont(*frame.Document(), *frame.Document()->Fonts().At(0), renamed);
        view.RefreshList();
    }
    if (view.List()->topLevelItemCount() > 2) {
        view.List()->topLevelItem(2)->setSelected(true);
    }
    QApplication::processEvents();
    save(&frame, "main-window-fonts");

    // The details dialog as Add Font and as Edit show it, and the user dialog of Install.
    FontDetails fresh;
    fresh.name = "DejaVu Sans";
    fresh.style = "B";
    fresh.size = "12";
    FontDetailsDlg add(fresh, &frame);
    add.show();
    save(&add, "font-details-add");
    add.close();
    fresh.canChange = false;
    fresh.name = "DejaVu Cr\u00e8me Br\u00fbl\u00e9e";
    FontDetailsDlg edit(fresh, &frame);
    edit.show();
    save(&edit, "font-details-edit");
    // A character the handheld's code page lacks is refused by name.
    edit.NameEdit()->setText(QString::fromUtf8("\u65e5\u672c\u8a9e"));
    saveNextModal("font-details-missing-character");
    edit.accept();
    edit.close();
    CUserDlg chooser(frame.Context().users, &frame);
    chooser.show();
    save(&chooser, "install-user");
    chooser.close();

    // Add Group's one message about the combinations a handheld cannot take.
    {
        ConverterContext& context = frame.Context();
        const auto face = context.catalog.Find("DejaVu Sans", std::nullopt);
        if (face) {
            CFontList batch;
            batch.New();
            const auto plan = PlanBatch({*face}, {24, 25, 26}, {FontStyle::BoldItalic});
            const BatchResult result = RunBatch(context.engine, batch, plan, true);
            saveNextModal("add-group-skipped");
            if (!result.skipped.empty()) AppMessageBox(SkippedText(result.skipped, result.converted), win::MB_OK);
        }
    }
    // Save over a file that another program changed after it was saved here.
    {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "glyphsmith-screenshots";
        std::filesystem::create_directories(folder);
        const std::string path = (folder / "Fonts.pdb").string();
        CFontDoc& doc = *frame.Document();
        if (doc.DoSave(path, true)) {
            CFontDoc other(frame.Ui());
            if (other.OnNewDocument("other") && other.DoSave(path, true)) {
                doc.MarkModified(true);
                saveNextModal("save-changed-on-disk");
                ShowOutcome(doc.DoFileSave());
            }
        }
        std::filesystem::remove_all(folder);
    }
    // The Save dialog's answer to a folder that does not exist.
    saveNextModal("save-missing-folder");
    AppMessageBox(*MissingFolderText("/home/ann/No Such Folder/Fonts.pdb"), win::MB_OK);
    saveNextModal("delete-question");
    view.OnDelete();
    saveNextModal("save-changes-question");
    frame.close();
    frame.Document()->MarkModified(false);
    return 0;
}
