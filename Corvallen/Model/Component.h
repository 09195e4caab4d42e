#pragma once

#include "Corvallen/Model/StockStatus.h"
#include "Corvallen/Model/TermKind.h"
#include "Corvallen/Store/PersistentModel.h"

#include <QStringList>

class ProjectComponent;

// One kind of part kept in the inventory. Stock status and tag list are derived on every read.
class Component : public PersistentModel {
public:
    enum Attribute { A_name, A_partNumber, A_category, A_subcategory, A_manufacturer, A_qty, A_unit, A_minQty, A_location, A_bin, A_voltage, A_current, A_power, A_interface, A_logicLevel, A_package, A_keySpecs, A_notes, A_tags, A_confidence, A_shoppingURL, A_photoFile, A_datasheetFile, A_manualFile, A_datasheetURL, A_manualURL, A_photoURL, A_statusOverride, A_purchasePrice, A_resellPrice, A_createdAt, A_updatedAt };
    enum ToMany { ProjectUses };

    // The furthest from zero a quantity the user enters may be, either way (stock, reorder
    // level, a parts-list line): a larger figure is a typing slip, and the bound keeps every
    // stock sum far from the limits of a 64-bit integer.
    static constexpr qint64 maxQuantity = 1'000'000'000;

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    explicit Component(const QString& name);
    Component();

    QString name() const { return text(A_name); }
    void setName(const QString& v) { setAttributeValue(A_name, v); }
    std::optional<QString> partNumber() const { return optText(A_partNumber); }
    void setPartNumber(const std::optional<QString>& v) { setOptText(A_partNumber, v); }
    std::optional<QString> category() const { return optText(A_category); }
    void setCategory(const std::optional<QString>& v) { setOptText(A_category, v); }
    std::optional<QString> subcategory() const { return optText(A_subcategory); }
    void setSubcategory(const std::optional<QString>& v) { setOptText(A_subcategory, v); }
    std::optional<QString> manufacturer() const { return optText(A_manufacturer); }
    void setManufacturer(const std::optional<QString>& v) { setOptText(A_manufacturer, v); }
    qint64 qty() const { return integer(A_qty); }
    void setQty(qint64 v) { setAttributeValue(A_qty, QVariant(v)); }
    QString unit() const { return text(A_unit); }
    void setUnit(const QString& v) { setAttributeValue(A_unit, v); }
    qint64 minQty() const { return integer(A_minQty); }
    void setMinQty(qint64 v) { setAttributeValue(A_minQty, QVariant(v)); }
    std::optional<QString> location() const { return optText(A_location); }
    void setLocation(const std::optional<QString>& v) { setOptText(A_location, v); }
    std::optional<QString> bin() const { return optText(A_bin); }
    void setBin(const std::optional<QString>& v) { setOptText(A_bin, v); }
    std::optional<QString> voltage() const { return optText(A_voltage); }
    void setVoltage(const std::optional<QString>& v) { setOptText(A_voltage, v); }
    std::optional<QString> current() const { return optText(A_current); }
    void setCurrent(const std::optional<QString>& v) { setOptText(A_current, v); }
    std::optional<QString> power() const { return optText(A_power); }
    void setPower(const std::optional<QString>& v) { setOptText(A_power, v); }
    std::optional<QString> interface() const { return optText(A_interface); }
    void setInterface(const std::optional<QString>& v) { setOptText(A_interface, v); }
    std::optional<QString> logicLevel() const { return optText(A_logicLevel); }
    void setLogicLevel(const std::optional<QString>& v) { setOptText(A_logicLevel, v); }
    std::optional<QString> package() const { return optText(A_package); }
    void setPackage(const std::optional<QString>& v) { setOptText(A_package, v); }
    std::optional<QString> keySpecs() const { return optText(A_keySpecs); }
    void setKeySpecs(const std::optional<QString>& v) { setOptText(A_keySpecs, v); }
    std::optional<QString> notes() const { return optText(A_notes); }
    void setNotes(const std::optional<QString>& v) { setOptText(A_notes, v); }
    std::optional<QString> tags() const { return optText(A_tags); }
    void setTags(const std::optional<QString>& v) { setOptText(A_tags, v); }
    std::optional<double> confidence() const { return optReal(A_confidence); }
    void setConfidence(std::optional<double> v) { setOptReal(A_confidence, v); }
    std::optional<QString> shoppingURL() const { return optText(A_shoppingURL); }
    void setShoppingURL(const std::optional<QString>& v) { setOptText(A_shoppingURL, v); }
    std::optional<QString> photoFile() const { return optText(A_photoFile); }
    void setPhotoFile(const std::optional<QString>& v) { setOptText(A_photoFile, v); }
    std::optional<QString> datasheetFile() const { return optText(A_datasheetFile); }
    void setDatasheetFile(const std::optional<QString>& v) { setOptText(A_datasheetFile, v); }
    std::optional<QString> manualFile() const { return optText(A_manualFile); }
    void setManualFile(const std::optional<QString>& v) { setOptText(A_manualFile, v); }
    std::optional<QString> datasheetURL() const { return optText(A_datasheetURL); }
    void setDatasheetURL(const std::optional<QString>& v) { setOptText(A_datasheetURL, v); }
    std::optional<QString> manualURL() const { return optText(A_manualURL); }
    void setManualURL(const std::optional<QString>& v) { setOptText(A_manualURL, v); }
    std::optional<QString> photoURL() const { return optText(A_photoURL); }
    void setPhotoURL(const std::optional<QString>& v) { setOptText(A_photoURL, v); }
    std::optional<QString> statusOverride() const { return optText(A_statusOverride); }
    void setStatusOverride(const std::optional<QString>& v) { setOptText(A_statusOverride, v); }
    std::optional<double> purchasePrice() const { return optReal(A_purchasePrice); }
    void setPurchasePrice(std::optional<double> v) { setOptReal(A_purchasePrice, v); }
    std::optional<double> resellPrice() const { return optReal(A_resellPrice); }
    void setResellPrice(std::optional<double> v) { setOptReal(A_resellPrice, v); }
    QDateTime createdAt() const { return date(A_createdAt); }
    void setCreatedAt(const QDateTime& v) { setAttributeValue(A_createdAt, v); }
    QDateTime updatedAt() const { return date(A_updatedAt); }
    void setUpdatedAt(const QDateTime& v) { setAttributeValue(A_updatedAt, v); }

    QList<ProjectComponent*> projectUses() const;

    // Ordered wins; below 1 is out; at or below the reorder level is low; else in stock.
    StockStatus status() const;
    // The status a component with these values has.
    static StockStatus status(qint64 qty, qint64 minQty, const std::optional<QString>& statusOverride);
    // The comma-separated tags as a list (see tagListFromText).
    QStringList tagList() const;

    // The term field of a kind, as stored.
    std::optional<QString> value(TermKind kind) const;
    // Writes the term field of a kind, trimmed; blank or absent text makes it absent. Neither
    // touches updatedAt nor saves.
    void setValue(const std::optional<QString>& text, TermKind kind);
};
