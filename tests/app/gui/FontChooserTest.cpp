// Tests of Add Font's dialog on the offscreen platform, over the installed fonts: what it offers
// (faces, scripts, the converter's four styles), that it starts with nothing chosen, and that a
// face such as a family's light or condensed one is chosen and drawn as itself.
#include "app/ConversionBatch.h"
#include "app/FontCatalog.h"
#include "app/gui/FontChooser.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "resources/converter/ConverterStrings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {
QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int row = 0; row < list->count(); ++row) out << list->item(row)->text();
    return out;
}

QStringList texts(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

bool chooseFace(FontChooserDlg& dialog, const QString& face) {
    const auto found = dialog.Faces()->findItems(face, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    dialog.Faces()->setCurrentItem(found.front());
    return true;
}

// The realised font's metrics for a choice, as the converter will make its record.
gdi::TEXTMETRIC metricsOf(gdi::FontEngine& engine, const Combination& chosen) {
    const auto font = engine.CreateFontIndirect(RequestFor(chosen).DescriptionAt(chosen.size));
    return font ? font->GetTextMetrics() : gdi::TEXTMETRIC{};
}
}  // namespace

class FontChooserTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        converter::RegisterConverterStrings();
        catalog_.Enumerate(engine_);
        if (!catalog_.Find("DejaVu Sans", std::nullopt) || !catalog_.Find("DejaVu Sans Light", std::nullopt) ||
            !catalog_.Find("DejaVu Sans Condensed", std::nullopt))
            QSKIP("the DejaVu fonts (core and extra) are not installed");
    }

    void opensWithNothingChosenButTheRegularStyle() {
        FontChooserDlg dialog(catalog_, engine_);
        dialog.show();
        QVERIFY(dialog.Faces()->selectedItems().isEmpty());
        QVERIFY(dialog.Sizes()->selectedItems().isEmpty());
        QVERIFY(dialog.SizeEdit()->text().isEmpty());
        QCOMPARE(dialog.Scripts()->count(), 0);
        QVERIFY(!dialog.OkButton()->isEnabled());
        QVERIFY(!dialog.Chosen());
        // Exactly the styles the converter makes, Regular standing for an all-zero description.
        QCOMPARE(texts(dialog.Styles()), (QStringList{"Regular", "Bold", "Italic", "Bold Italic"}));
        QCOMPARE(dialog.Styles()->currentRow(), 0);
        // OK needs a face and a size too.
        QVERIFY(chooseFace(dialog, "DejaVu Sans"));
        QVERIFY(!dialog.OkButton()->isEnabled());
        QTest::keyClicks(dialog.SizeEdit(), "12");
        QVERIFY(dialog.OkButton()->isEnabled());
        QVERIFY(dialog.Sizes()->currentItem() && dialog.Sizes()->currentItem()->isSelected());
        QCOMPARE(dialog.Sizes()->currentItem()->text(), QString("12"));
        QVERIFY(!dialog.Sample()->pixmap().isNull());
        dialog.SizeEdit()->clear();
        QVERIFY(!dialog.OkButton()->isEnabled());
    }

    // A focused list marks its first row as current, which looks like a face chosen already.
    void focusedFaceListMarksNoFaceUntilTheKeysMove() {
        FontChooserDlg dialog(catalog_, engine_);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.Faces()->setFocus();
        QTRY_VERIFY(dialog.Faces()->hasFocus());
        QCOMPARE(dialog.Faces()->currentItem(), nullptr);
        QVERIFY(dialog.Faces()->selectedItems().isEmpty());
        QTest::keyClick(dialog.Faces(), Qt::Key_Down);
        QCOMPARE(dialog.Faces()->selectedItems().size(), 1);
        QCOMPARE(dialog.Faces()->selectedItems().front(), dialog.Faces()->item(0));
    }

    void everyCatalogFaceIsListedOnce() {
        FontChooserDlg dialog(catalog_, engine_);
        const QStringList faces = texts(dialog.Faces());
        for (const auto& entry : catalog_.Entries())
            QCOMPARE(faces.count(QString::fromStdString(entry.faceName)), 1);
        QVERIFY(faces.contains("DejaVu Sans Light"));
        QVERIFY(faces.contains("DejaVu Sans Condensed"));
    }

    void scriptIsChosenFromTheFacesScripts() {
        FontChooserDlg dialog(catalog_, engine_);
        QVERIFY(chooseFace(dialog, "DejaVu Sans"));
        QStringList expected;
        for (const auto& entry : catalog_.ScriptsOf("DejaVu Sans")) expected << QString::fromStdString(entry.scriptName);
        QCOMPARE(texts(dialog.Scripts()), expected);
        QVERIFY(expected.contains("Cyrillic"));
        QCOMPARE(dialog.Scripts()->currentText(), QString("Western"));
        dialog.SizeEdit()->setText("9");
        QCOMPARE(dialog.Chosen()->font.charSet, std::uint8_t(0));

        dialog.Scripts()->setCurrentIndex(dialog.Scripts()->findText("Cyrillic"));
        QCOMPARE(dialog.Chosen()->font.charSet, std::uint8_t(204));
        QCOMPARE(dialog.Chosen()->font.faceName, std::string("DejaVu Sans"));
        // Another face with that script keeps it.
        QVERIFY(chooseFace(dialog, "DejaVu Serif"));
        QCOMPARE(dialog.Scripts()->currentText(), QString("Cyrillic"));
        QCOMPARE(dialog.Chosen()->font.charSet, std::uint8_t(204));
    }

    void familyFacesAreChosenAndDrawnAsThemselves_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("styleRow");
        for (const char* face : {"DejaVu Sans Light", "DejaVu Sans Condensed"})
            for (int row = 0; row < 4; ++row)
                QTest::addRow("%s %d", face, row) << QString(face) << row;
    }
    void familyFacesAreChosenAndDrawnAsThemselves() {
        QFETCH(QString, face);
        QFETCH(int, styleRow);
        FontChooserDlg dialog(catalog_, engine_);
        QVERIFY(chooseFace(dialog, face));
        dialog.Styles()->setCurrentRow(styleRow);
        dialog.SizeEdit()->setText("20");
        const auto chosen = dialog.Chosen();
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(chosen->font.faceName), face);
        QCOMPARE(int(chosen->style), styleRow);
        QCOMPARE(chosen->size, 20);

        // The engine realises that face, not the family's regular one.
        Combination plain = *chosen;
        plain.font = *catalog_.Find("DejaVu Sans", chosen->font.charSet);
        const gdi::TEXTMETRIC own = metricsOf(engine_, *chosen), regular = metricsOf(engine_, plain);
        QVERIFY(own.tmHeight > 0);
        const bool bold = chosen->style == FontStyle::Bold || chosen->style == FontStyle::BoldItalic;
        QCOMPARE(own.tmItalic != 0, chosen->style == FontStyle::Italic || chosen->style == FontStyle::BoldItalic);
        if (face.endsWith("Light") && !bold) QVERIFY2(own.tmWeight < 400, qPrintable(QString::number(own.tmWeight)));
        if (face.endsWith("Condensed")) QVERIFY(own.tmAveCharWidth < regular.tmAveCharWidth);
    }

private:
    gdi::FreeTypeFontEngine engine_;
    FontCatalog catalog_;
};

QTEST_MAIN(FontChooserTest)
#include "FontChooserTest.moc"
