#include "dataset.h"

namespace qorvel {

namespace {
std::string utf8(const QString& s) { return s.toStdString(); }
QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QString RowReader::text(const QString& field) const {
    const DatasetField* f = dataset_.field(field);
    const engine::Table* t = dataset_.table();
    if (!f || f->calculated || !t || f->engineIndex < 0)
        return {};
    if (recno_ == 0)
        return fromUtf8(t->getString(f->engineIndex));
    return fromUtf8(t->stringAt(recno_, f->engineIndex));
}

bool RowReader::logical(const QString& field) const { return text(field) == QLatin1String("T"); }

Dataset::Dataset(QObject* parent) : QObject(parent) {}
Dataset::~Dataset() = default;

void Dataset::addField(const DatasetField& f) { fields_.append(f); }

int Dataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i) {
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

DatasetField* Dataset::field(const QString& name) {
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &fields_[i];
}

const DatasetField* Dataset::field(const QString& name) const {
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &fields_[i];
}

void Dataset::setFieldVisible(const QString& name, bool visible) {
    if (DatasetField* f = field(name)) {
        f->visible = visible;
        recalc();
    }
}

void Dataset::moveField(int from, int to) {
    if (from < 0 || from >= fields_.size() || to < 0 || to >= fields_.size() || from == to)
        return;
    fields_.move(from, to);
}

bool Dataset::check(const engine::Status& st) {
    if (st)
        return true;
    lastError_ = fromUtf8(st.message());
    return false;
}

bool Dataset::open(engine::OpenMode mode) {
    close();
    lastError_.clear();
    auto t = engine::Table::open(utf8(fileName_), mode);
    if (!t) {
        lastError_ = fromUtf8(t.message());
        return false;
    }
    // Every stored field object must be in the file; each takes the file's width.
    for (DatasetField& f : fields_) {
        if (f.calculated)
            continue;
        const int i = (*t)->fieldIndex(utf8(f.name));
        if (i < 0) {
            lastError_ = QStringLiteral("%1 has no field %2").arg(fileName_, f.name);
            return false;
        }
        f.engineIndex = i;
        f.size = (*t)->fields()[size_t(i)].width;
    }
    table_ = std::move(*t);
    setState(State::Browse);
    table_->goTop();
    moved();
    emit rowsChanged();
    return true;
}

void Dataset::close() {
    if (!table_)
        return;
    table_->cancel();
    table_->close();
    table_.reset();
    calculated_.clear();
    setState(State::Inactive);
    emit rowsChanged();
}

QString Dataset::text(const QString& name) const {
    const DatasetField* f = field(name);
    if (!f || !table_)
        return {};
    if (f->calculated) {
        const QVariant v = calculated_.value(f->name);
        if (f->type == 'L' && !f->displayFormat.isEmpty()) {
            const QStringList words = f->displayFormat.split(QLatin1Char(';'));
            return v.toBool() ? words.value(0) : words.value(1);
        }
        return v.toString().left(f->size > 0 ? f->size : -1);
    }
    return fromUtf8(table_->getString(f->engineIndex));
}

QVariant Dataset::value(const QString& name) const {
    const DatasetField* f = field(name);
    if (!f || !table_)
        return {};
    if (f->calculated)
        return calculated_.value(f->name);
    if (f->type == 'L')
        return table_->getLogical(f->engineIndex);
    return text(name);
}

bool Dataset::logical(const QString& name) const { return value(name).toBool(); }

QString Dataset::memo(const QString& name) const {
    const DatasetField* f = field(name);
    if (!f || !table_ || f->calculated)
        return {};
    auto m = table_->getMemo(f->engineIndex);
    return m ? fromUtf8(*m) : QString();
}

bool Dataset::setText(const QString& name, const QString& text) {
    DatasetField* f = field(name);
    if (!f || f->calculated || !table_) {
        lastError_ = QStringLiteral("There is no field %1 to change").arg(name);
        return false;
    }
    if (!isEditing() && !edit())
        return false;
    if (!check(table_->setString(f->engineIndex, utf8(text))))
        return false;
    changed();
    return true;
}

bool Dataset::setLogical(const QString& name, bool v) {
    DatasetField* f = field(name);
    if (!f || f->calculated || !table_)
        return false;
    if (!isEditing() && !edit())
        return false;
    if (!check(table_->setLogical(f->engineIndex, v)))
        return false;
    changed();
    return true;
}

bool Dataset::setMemo(const QString& name, const QString& text) {
    DatasetField* f = field(name);
    if (!f || f->calculated || !table_)
        return false;
    if (!isEditing() && !edit())
        return false;
    if (!check(table_->setMemo(f->engineIndex, utf8(text))))
        return false;
    changed();
    return true;
}

void Dataset::setState(State s) {
    if (state_ == s)
        return;
    state_ = s;
    emit stateChanged(s);
}

bool Dataset::edit() {
    if (!table_)
        return false;
    if (isEditing())
        return true;
    if (table_->eof()) {
        lastError_ = QStringLiteral("There is no record to edit");
        return false;
    }
    setState(State::Edit);
    emit afterEdit();
    return true;
}

bool Dataset::insert() {
    if (!table_)
        return false;
    if (isEditing() && !post())
        return false;
    if (!check(table_->appendBlank()))
        return false;
    setState(State::Insert);
    moved();
    emit afterInsert();
    return true;
}

bool Dataset::post() {
    if (!table_ || !isEditing())
        return true;
    const bool inserting = state_ == State::Insert;
    if (!check(table_->post()))
        return false;
    // A saved record must survive a crash of the program: write everything now.
    if (!check(table_->flush()))
        return false;
    setState(State::Browse);
    recalc();
    changed();
    if (inserting)
        moved();
    emit afterPost();
    emit rowsChanged();
    return true;
}

void Dataset::cancel() {
    if (!table_ || !isEditing())
        return;
    const bool inserting = state_ == State::Insert;
    table_->cancel();
    setState(State::Browse);
    if (inserting && table_->eof())
        table_->goBottom();
    moved();
    emit afterCancel();
}

bool Dataset::deleteMark() {
    if (!table_ || table_->eof())
        return false;
    if (isEditing() && !post())
        return false;
    if (!check(table_->deleteRecord()) || !check(table_->flush()))
        return false;
    changed();
    emit rowsChanged();
    return true;
}

bool Dataset::leaveEdit() { return !isEditing() || post(); }

bool Dataset::first() {
    if (!table_ || !leaveEdit())
        return false;
    const bool ok = check(table_->goTop());
    atStart_ = true;
    atEnd_ = table_->eof();
    moved();
    return ok && !table_->eof();
}

bool Dataset::last() {
    if (!table_ || !leaveEdit())
        return false;
    const bool ok = check(table_->goBottom());
    atEnd_ = true;
    atStart_ = table_->eof();
    moved();
    return ok && !table_->eof();
}

bool Dataset::next() {
    if (!table_ || !leaveEdit())
        return false;
    if (table_->eof()) {
        atEnd_ = true;
        return false;
    }
    const uint32_t before = table_->recNo();
    if (!check(table_->skip(1)))
        return false;
    if (table_->eof()) {
        // Stay on the last record, as a record view does; eof() tells the caller.
        if (!*table_->goTo(before))
            table_->goBottom();
        atEnd_ = true;
        return false;
    }
    atStart_ = atEnd_ = false;
    moved();
    return true;
}

bool Dataset::prior() {
    if (!table_ || !leaveEdit())
        return false;
    if (table_->eof()) {
        atStart_ = true;
        return false;
    }
    const uint32_t before = table_->recNo();
    if (!check(table_->skip(-1)))
        return false;
    if (table_->bof()) {
        atStart_ = true;
        if (table_->recNo() != before)
            moved();
        return false;
    }
    atStart_ = atEnd_ = false;
    moved();
    return true;
}

bool Dataset::goToRecord(uint32_t recno) {
    if (!table_ || !leaveEdit())
        return false;
    auto landed = table_->goTo(recno);
    const bool ok = landed && *landed;
    atStart_ = atEnd_ = !ok;
    moved();
    return ok;
}

bool Dataset::seek(const QString& value) {
    if (!table_ || !leaveEdit())
        return false;
    auto found = table_->seek(utf8(value));
    if (!found) {
        lastError_ = fromUtf8(found.message());
        return false;
    }
    atStart_ = atEnd_ = false;
    moved();
    return *found;
}

bool Dataset::bof() const { return !table_ || atStart_ || table_->eof(); }
bool Dataset::eof() const { return !table_ || atEnd_ || table_->eof(); }
bool Dataset::isEmpty() const { return !table_ || recordCount() == 0; }

uint32_t Dataset::recNo() const {
    if (!table_ || (table_->eof() && state_ != State::Insert))
        return 0;
    return table_->recNo();
}

uint32_t Dataset::recordCount() const { return table_ ? table_->queryRecordCount() : 0; }

bool Dataset::setQuery(const QString& condition) {
    if (!table_ || !leaveEdit())
        return false;
    if (!check(table_->setQuery(utf8(condition))))
        return false;
    emit rowsChanged();
    return true;
}

QString Dataset::query() const { return table_ ? fromUtf8(table_->query()) : QString(); }

bool Dataset::setOrder(int order) {
    if (!table_ || !leaveEdit())
        return false;
    if (!check(table_->setOrder(order)))
        return false;
    emit rowsChanged();
    return true;
}

bool Dataset::setOrderByName(const QString& tag) {
    if (!table_)
        return false;
    const int order = table_->tagArea(utf8(tag));
    if (order == 0) {
        lastError_ = QStringLiteral("There is no tag %1").arg(tag);
        return false;
    }
    return setOrder(order);
}

QString Dataset::orderName() const { return table_ ? fromUtf8(table_->orderName()) : QString(); }

void Dataset::refresh() {
    recalc();
    changed();
}

void Dataset::disableControls() { ++frozen_; }

void Dataset::enableControls() {
    if (frozen_ == 0 || --frozen_ > 0)
        return;
    if (movedWhileFrozen_) {
        movedWhileFrozen_ = false;
        changedWhileFrozen_ = false;
        recalc();
        emit recordChanged();
        emit dataChanged();
    } else if (changedWhileFrozen_) {
        changedWhileFrozen_ = false;
        recalc();
        emit dataChanged();
    }
}

void Dataset::recalc() {
    calculated_.clear();
    if (calc_ && table_)
        calc_(RowReader(*this, 0), calculated_);
}

QHash<QString, QVariant> Dataset::calculatedFor(uint32_t recno) const {
    QHash<QString, QVariant> values;
    if (calc_ && table_)
        calc_(RowReader(*this, recno), values);
    return values;
}

void Dataset::moved() {
    if (frozen_ > 0) {
        movedWhileFrozen_ = true;
        return;
    }
    recalc();
    emit recordChanged();
    emit dataChanged();
}

void Dataset::changed() {
    if (frozen_ > 0) {
        changedWhileFrozen_ = true;
        return;
    }
    recalc();
    emit dataChanged();
}

}  // namespace qorvel
