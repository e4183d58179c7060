// Attribute values as plain trees, shared by the client side and the
// simulated servers: the journal's text form and the wire encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvattr.h"

namespace qvsim {

// One attribute value. Which fields a syntax uses:
//   SimpleName, Text: code, text            DeliveryAddress: code (type), code2, text
//   Boolean, Cardinal, DeltaTime, Identifier, Priority, PositiveInteger,
//   Cardinal64: number                      JobIdentifier: text
//   DocumentId: text, number                Descriptor: code, text, text2
//   Locale, GeneralizedTime: parts          ObjIdentification, NameOrOID: sub[0]
//   DistName: sub[0] text part, sub[1] name part (syntax 0 = absent)
//   EventProfile: parts (events), number (method), code (flags), sub[0] address, sub[1] locale
//   DriverInfo: number (version), code (platform), sub[0..7] name, driver path,
//     data file, config file, help file, monitor, default type, environment;
//     sub[8..] dependent files
//   ObjectInstance: sub[0] server name, sub[1] identification
struct Val {
    int32_t syntax = 0; // 0: none
    int32_t code = 0;
    int32_t code2 = 0;
    int64_t number = 0;
    std::string text;
    std::string text2;
    std::vector<int32_t> parts;
    std::vector<Val> sub;
};

enum DriverSlot {
    kDrvName = 0,
    kDrvPath,
    kDrvData,
    kDrvConfig,
    kDrvHelp,
    kDrvMonitor,
    kDrvType,
    kDrvEnv,
    kDrvFirstDependent
};

Val MakeNumber(int32_t syntax, int64_t number);
Val MakeName(const std::string &text); // SimpleName code 5
Val MakeText(const std::string &text, int32_t code = 5);
Val MakeJobId(const std::string &id);
Val MakeObjId(const Val &inner);
Val MakeInstance(const Val &server, const Val &identification);

// The journal's text form, e.g. DistName(Text(5,"eng"),NameOrOID(Id(3044))).
std::string FormatValue(const Val &v);
std::string Quote(const std::string &text);

// The job identifier that a value names: a job identifier, a document id,
// an identification or instance holding one. Empty when there is none.
std::string JobIdOf(const Val &v);

// Wire encoding.
void PutU32(std::string &out, uint32_t x);
void PutStr(std::string &out, const std::string &s);
void PutVal(std::string &out, const Val &v);

class Reader {
public:
    explicit Reader(std::string data) : data_(std::move(data)) { }
    bool U32(uint32_t &x);
    bool I32(int32_t &x)
    {
        uint32_t u;
        if (!U32(u))
            return false;
        x = (int32_t)u;
        return true;
    }
    bool Str(std::string &s);
    bool Value(Val &v, int depth = 0);
    bool AtEnd() const { return pos_ == data_.size(); }

private:
    std::string data_;
    size_t pos_ = 0;
};

} // namespace qvsim
