// Outside Windows the configuration file holds the path's own bytes.
#include "core/ConfigPath.h"

namespace {
class PlainCodec : public ConfigPathCodec {
public:
    std::string ToPath(const std::string& stored) const override { return stored; }
    bool ToStored(const std::string& path, std::string& stored) const override
    {
        stored = path;
        return true;
    }
    std::string ShortForm(const std::string&) const override { return std::string(); }
    std::string LongForm(const std::string&) const override { return std::string(); }
};
}  // namespace

const ConfigPathCodec& SystemConfigPathCodec()
{
    static const PlainCodec codec;
    return codec;
}
