// Attribute value trees: constructors, the journal's text form, wire encoding.
#include "value.h"

#include <cstdio>

namespace qvsim {

Val MakeNumber(int32_t syntax, int64_t number)
{
    Val v;
    v.syntax = syntax;
    v.number = number;
    return v;
}

Val MakeName(const std::string &text)
{
    Val v;
    v.syntax = QV_SYNTAX_SIMPLE_NAME;
    v.code = 5;
    v.text = text;
    return v;
}

Val MakeText(const std::string &text, int32_t code)
{
    Val v;
    v.syntax = QV_SYNTAX_TEXT;
    v.code = code;
    v.text = text;
    return v;
}

Val MakeJobId(const std::string &id)
{
    Val v;
    v.syntax = QV_SYNTAX_JOB_IDENTIFIER;
    v.text = id;
    return v;
}

Val MakeObjId(const Val &inner)
{
    Val v;
    v.syntax = QV_SYNTAX_OBJ_IDENTIFICATION;
    v.sub.push_back(inner);
    return v;
}

Val MakeInstance(const Val &server, const Val &identification)
{
    Val v;
    v.syntax = QV_SYNTAX_OBJECT_INSTANCE;
    v.sub.push_back(server);
    v.sub.push_back(identification);
    return v;
}

std::string Quote(const std::string &text)
{
    // Backslashes stay as they are (paths and printer names carry them);
    // quotes and control bytes are escaped so that a line stays one line.
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"') {
            out += "\\\"";
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

static std::string Num(int64_t n)
{
    return std::to_string(n);
}

static std::string Parts(const std::vector<int32_t> &parts)
{
    std::string s;
    for (size_t i = 0; i < parts.size(); ++i)
        s += (i ? "," : "") + std::to_string(parts[i]);
    return s;
}

std::string FormatValue(const Val &v)
{
    auto sub = [&](size_t i) {
        return i < v.sub.size() && v.sub[i].syntax ? FormatValue(v.sub[i]) : std::string("-");
    };
    switch (v.syntax) {
    case 0:
        return "-";
    case QV_SYNTAX_SIMPLE_NAME:
        return "SimpleName(" + Num(v.code) + "," + Quote(v.text) + ")";
    case QV_SYNTAX_TEXT:
        return "Text(" + Num(v.code) + "," + Quote(v.text) + ")";
    case QV_SYNTAX_BOOLEAN:
        return "Bool(" + Num(v.number) + ")";
    case QV_SYNTAX_CARDINAL:
        return "Card(" + Num(v.number) + ")";
    case QV_SYNTAX_DELTA_TIME:
        return "Delta(" + Num(v.number) + ")";
    case QV_SYNTAX_LOCALE:
        return "Locale(" + Parts(v.parts) + ")";
    case QV_SYNTAX_JOB_IDENTIFIER:
        return "JobId(" + Quote(v.text) + ")";
    case QV_SYNTAX_EVENT_PROFILE:
        return "EventProfile([" + Parts(v.parts) + "]," + Num(v.number) + "," + Num(v.code) + "," + sub(0)
            + "," + sub(1) + ")";
    case QV_SYNTAX_DOCUMENT_ID:
        return "DocId(" + Quote(v.text) + "," + Num(v.number) + ")";
    case QV_SYNTAX_IDENTIFIER:
        return "Id(" + Num(v.number) + ")";
    case QV_SYNTAX_NAME_OR_OID:
        return "NameOrOID(" + sub(0) + ")";
    case QV_SYNTAX_DIST_NAME:
        return "DistName(" + sub(0) + "," + sub(1) + ")";
    case QV_SYNTAX_DELIVERY_ADDRESS:
        return "DeliveryAddress(" + Num(v.code) + "," + Num(v.code2) + "," + Quote(v.text) + ")";
    case QV_SYNTAX_OBJ_IDENTIFICATION:
        return "ObjId(" + sub(0) + ")";
    case QV_SYNTAX_DESCRIPTOR:
        return "Descriptor(" + Num(v.code) + "," + Quote(v.text) + "," + Quote(v.text2) + ")";
    case QV_SYNTAX_PRIORITY:
        return "Priority(" + Num(v.number) + ")";
    case QV_SYNTAX_POSITIVE_INTEGER:
        return "PosInt(" + Num(v.number) + ")";
    case QV_SYNTAX_CARDINAL64:
        return "Card64(" + std::to_string((uint64_t)v.number) + ")";
    case QV_SYNTAX_GENERALIZED_TIME:
        return "Time(" + Parts(v.parts) + ")";
    case QV_SYNTAX_DRIVER_INFO: {
        std::string s = "DriverInfo(" + Num(v.number) + "," + Num(v.code);
        for (size_t i = 0; i < v.sub.size(); ++i)
            s += "," + sub(i);
        return s + ")";
    }
    case QV_SYNTAX_OBJECT_INSTANCE:
        return "Instance(" + sub(0) + "," + sub(1) + ")";
    default:
        return "Syntax" + Num(v.syntax) + "()";
    }
}

std::string JobIdOf(const Val &v)
{
    switch (v.syntax) {
    case QV_SYNTAX_JOB_IDENTIFIER:
    case QV_SYNTAX_DOCUMENT_ID:
        return v.text;
    case QV_SYNTAX_OBJ_IDENTIFICATION:
        return v.sub.empty() ? std::string() : JobIdOf(v.sub[0]);
    case QV_SYNTAX_OBJECT_INSTANCE:
        return v.sub.size() < 2 ? std::string() : JobIdOf(v.sub[1]);
    default:
        return std::string();
    }
}

void PutU32(std::string &out, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        out += (char)((x >> (8 * i)) & 0xff);
}

void PutStr(std::string &out, const std::string &s)
{
    PutU32(out, (uint32_t)s.size());
    out += s;
}

void PutVal(std::string &out, const Val &v)
{
    PutU32(out, (uint32_t)v.syntax);
    PutU32(out, (uint32_t)v.code);
    PutU32(out, (uint32_t)v.code2);
    PutU32(out, (uint32_t)((uint64_t)v.number & 0xffffffffu));
    PutU32(out, (uint32_t)((uint64_t)v.number >> 32));
    PutStr(out, v.text);
    PutStr(out, v.text2);
    PutU32(out, (uint32_t)v.parts.size());
    for (int32_t p : v.parts)
        PutU32(out, (uint32_t)p);
    PutU32(out, (uint32_t)v.sub.size());
    for (const Val &s : v.sub)
        PutVal(out, s);
}

bool Reader::U32(uint32_t &x)
{
    if (data_.size() - pos_ < 4)
        return false;
    x = 0;
    for (int i = 0; i < 4; ++i)
        x |= (uint32_t)(unsigned char)data_[pos_ + i] << (8 * i);
    pos_ += 4;
    return true;
}

bool Reader::Str(std::string &s)
{
    uint32_t n;
    if (!U32(n) || data_.size() - pos_ < n)
        return false;
    s.assign(data_, pos_, n);
    pos_ += n;
    return true;
}

bool Reader::Value(Val &v, int depth)
{
    const int kMaxDepth = 16;
    uint32_t lo, hi, n;
    if (depth > kMaxDepth || !I32(v.syntax) || !I32(v.code) || !I32(v.code2) || !U32(lo) || !U32(hi)
        || !Str(v.text) || !Str(v.text2) || !U32(n) || n > data_.size())
        return false;
    v.number = (int64_t)(((uint64_t)hi << 32) | lo);
    v.parts.resize(n);
    for (auto &p : v.parts)
        if (!I32(p))
            return false;
    if (!U32(n) || n > data_.size())
        return false;
    v.sub.resize(n);
    for (auto &s : v.sub)
        if (!Value(s, depth + 1))
            return false;
    return true;
}

} // namespace qvsim
