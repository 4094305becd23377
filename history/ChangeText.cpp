#include "history/ChangeText.h"

#include "protocol/Catalogue.h"

namespace {

struct Rule {
    const char* prefix;
    int keyLength; // letters that name the setting; 0: the whole request, which carries no value
    bool scanSetValues;
};

// Longer prefixes before the shorter ones they begin with.
const Rule rules[] = {
    {"cfp", 0, true}, {"cf", 3, true},   {"cac", 0, true},  {"chr", 0, true}, {"ch", 3, true},
    {"ccn", 3, true}, {"CDCC", 0, true}, {"cm", 3, false},  {"cs", 3, false}, {"co", 3, false},
    {"cb", 0, false}, {"cw", 2, false},  {"ct", 0, false},  {"cr", 3, false}, {"cp", 0, false},
    {"cq", 0, false}, {"CCE", 0, false}, {"CCD", 0, false}, {"CC", 2, false}, {"CPH", 4, false},
    {"CP", 0, false}, {"md", 0, false},  {"mh", 0, false},  {"wb", 2, false}, {"ww", 2, false},
};

// "cd", a group letter, then "p" (the group's save) or the index (group "a": a blank and the index from 1) and
// the value.
bool dacSetting(const QString& text, ChangeText* out) {
    if (text.size() < 4 || !text.startsWith(QLatin1String("cd")) || !Catalogue::dacGroups().contains(text.at(2)))
        return false;
    const QChar group = text.at(2);
    out->change = out->scanSetValues = true;
    if (text.size() == 4 && text.at(3) == QLatin1Char('p')) {
        out->what = text;
        return true;
    }
    const bool fromOne = group == QLatin1Char('a');
    const int at = fromOne ? 4 : 3;
    if (text.size() <= at + 1 || (fromOne && text.at(3) != QLatin1Char(' ')) || !text.at(at).isDigit())
        return false;
    bool ok = false;
    const int value = text.mid(at + 1).toInt(&ok);
    const int dac = text.at(at).digitValue() - (fromOne ? 1 : 0);
    if (!ok || dac < 0)
        return false;
    out->what = text.left(at + 1);
    out->newValue = QString::number(value);
    out->group = group;
    out->dac = dac;
    return true;
}

} // namespace

ChangeText ChangeText::of(const Request& request) {
    ChangeText c;
    if (request.kind == Request::Kind::Read || request.kind == Request::Kind::Ping ||
        request.kind == Request::Kind::Record)
        return c;
    const QString text = request.text.trimmed();
    if (dacSetting(text, &c))
        return c;
    c = ChangeText();
    for (const Rule& rule : rules) {
        if (!text.startsWith(QLatin1String(rule.prefix)))
            continue;
        c.change = true;
        c.scanSetValues = rule.scanSetValues;
        c.what = rule.keyLength > 0 ? text.left(rule.keyLength) : text;
        c.newValue = rule.keyLength > 0 ? text.mid(rule.keyLength) : QString();
        return c;
    }
    // The DAC letters without a well-formed index and value: the monitor is sent it all the same.
    if (text.startsWith(QLatin1String("cd"))) {
        c.change = c.scanSetValues = true;
        c.what = text;
    }
    return c;
}
