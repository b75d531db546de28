#pragma once

class CombinerMessages;
class CombinerScanner;
struct CombinerProgram;

// Reads a whole script from the scanner into program. Returns false at the first syntax error
// (the caller reports it); a general combiner beyond the eighth is reported here and dropped.
bool parseCombinerProgram(CombinerScanner& scanner, CombinerMessages& messages,
                          CombinerProgram& program);
