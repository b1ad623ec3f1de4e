#include "jobs/SiteSeed.h"

namespace mt1d::jobs {

std::uint64_t SiteSeed(std::uint64_t surveySeed, std::string_view siteName)
{
    // A seed differs for every name, and neighbouring seeds give unrelated site seeds.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : siteName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    std::uint64_t z = hash + surveySeed * 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace mt1d::jobs
