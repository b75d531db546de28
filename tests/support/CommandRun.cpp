#include "support/CommandRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CommandRun runCommand(const TempDir& dir, const std::string& command)
{
    const std::string out = dir.file(".run-out");
    const std::string err = dir.file(".run-err");
    const std::string status = dir.file(".run-status");
    const std::string line = command + " >'" + out + "' 2>'" + err + "'; echo $? >'" + status + "'";
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    CommandRun run;
    run.status = std::stoi("0" + readFile(status));
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}
