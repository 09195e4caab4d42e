#pragma once

#include <QImage>
#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

class SettingsStore;

// The settings keys of the business profile ("business.name" ... "business.vatRate").
namespace BusinessKeys {
extern const QString name;
extern const QString tagline;
extern const QString address;
extern const QString phone;
extern const QString email;
extern const QString website;
extern const QString logoSquare;
extern const QString logoWide;
extern const QString documentLogo;
extern const QString currency;
extern const QString vatRate;
}  // namespace BusinessKeys

// The branding that the user's business puts on exported project sheets and quotes, read in one
// go from the eleven "business.*" settings. The record holds only texts and logo file names; the
// logo images live in the business folder and are read again on every use.
struct BusinessProfile {
    QString name;
    QString tagline;
    QString address;  // several lines
    QString phone;
    QString email;
    QString website;
    QString logoSquareFile;  // file name in the business folder; empty when none
    QString logoWideFile;
    QString documentLogoPref = QStringLiteral("wide");  // "square", otherwise the wide logo
    QString currencyCode = QStringLiteral("GBP");
    double vatRate = 0;  // per cent; 0 means no VAT

    // The settings keys, in field order.
    static const QStringList& settingKeys();

    // The record as the settings hold it now.
    static BusinessProfile load();
    static BusinessProfile load(const SettingsStore& settings);

    // The VAT rate of a stored text: one finite floating-point number written the C way (point as
    // the decimal separator, optional sign and exponent), nothing before or after it; anything
    // else is 0.
    static double vatRateFromText(const QString& text);

    // The data folder's "business" folder; created (with its parents) when missing, failures
    // ignored.
    static QString folder();

    // The image of a logo file in the business folder: null for an empty name, a name that is not
    // one plain file name, a missing file or one that is no readable image.
    static QImage loadLogo(const QString& fileName);
    // Copies a picked image unchanged into the business folder as "logo-<UUID>[.<ext>]" (the
    // extension in lower case) and returns the new name. Throws DomainError when the copy fails;
    // nothing is left behind then.
    static QString saveLogo(const QString& sourcePath);
    // Why the picture can't serve as a logo (not an image that can be read, or too large to
    // decode), or empty when it can. saveLogo refuses such a file with this reason.
    static QString logoProblem(const QString& path);
    // The text to store for a VAT rate typed into the Business pane in `locale`, or nothing when it
    // may not be stored (the rate stored before stays). Empty means no VAT; otherwise a plain
    // decimal number from 0 to 100 written with the locale's decimal separator and any script's
    // digits ("17,5" in German, "١٧٫٥" in Egyptian Arabic), stored in the locale-independent form
    // the quotes read ("17.5").
    static std::optional<QString> storedVatRateText(const QString& typed, const QLocale& locale = QLocale());
    // A stored rate as the locale writes it, for the pane's field ("17.5" shows as "17,5" in German).
    static QString vatRateInputText(const QString& stored, const QLocale& locale = QLocale());
    // Logos up to this many pixels are decoded.
    static constexpr qint64 maxLogoPixels = 40'000'000;
    // Removes a logo file from the business folder. An empty name, a name that is not one plain
    // file name, and a failed removal do nothing.
    static void deleteLogo(const QString& fileName);

    // "business.currency" read now, "GBP" when missing or empty.
    static QString currentCurrencyCode();
    static QString currentCurrencyCode(const SettingsStore& settings);
    // The fixed table of known currencies and their symbols, in order: what MoneyFormatter
    // writes where the locale's own data has no symbol for the currency.
    static const QList<QPair<QString, QString>>& currencySymbols();

    QImage squareLogo() const { return loadLogo(logoSquareFile); }
    QImage wideLogo() const { return loadLogo(logoWideFile); }
    // The logo printed on documents: the preferred one when it loads, otherwise the other.
    QImage documentLogo() const;
    // A name (ignoring surrounding blanks) or at least one logo that loads.
    bool hasBranding() const;
    // The address lines, then phone, e-mail and website; trimmed of blanks, empty ones left out.
    QStringList contactLines() const;

    friend bool operator==(const BusinessProfile&, const BusinessProfile&) = default;
};
