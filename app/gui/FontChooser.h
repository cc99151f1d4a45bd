// FontChooser.h: the font dialog of Add Font: Qt's font dialog showing only the scalable
// families the font catalog knows (the TrueType faces the converter enumerated at start-up).
#pragma once

#include <QFont>

#include <optional>

class FontCatalog;
class QWidget;

// The font the user chose, or none for Cancel.
std::optional<QFont> ChooseCatalogFont(QWidget* owner, const FontCatalog& catalog);
