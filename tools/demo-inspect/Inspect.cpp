#include "Inspect.h"

#include "shell/Scan.h"

bool parseTimes(const std::string& list, std::vector<SampleTime>& times)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string word = list.substr(start, end - start);
        float value = 0.0f;
        if (word.empty() || !scanFloat(word, value))
            return false;
        times.push_back({word, value});
        start = end + 1;
    }
    return !times.empty();
}
