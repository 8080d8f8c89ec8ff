#pragma once
// The recogniser as the analysis sees it: the six calls of the syllable recogniser library, behind an
// interface so that the analysis can be driven without it.

#include "SREngine/SylRecog.h"

#include <string>

class ISylRecogniser {
public:
    virtual ~ISylRecogniser() = default;
    virtual int init(const std::string& resourceFile) = 0;
    virtual int numTotalSyl() = 0;
    virtual int recogSample(const int16_t* samples, int count) = 0;
    virtual int getResult(SylRecord* records, int n) = 0;
    virtual int getSyl(int id, char* text) = 0;
    virtual int destroy() = 0;
};

// The real library.
class CSylRecogLibrary : public ISylRecogniser {
public:
    int init(const std::string& resourceFile) override { return ASTInit(resourceFile.c_str()); }
    int numTotalSyl() override { return ASTGetNumTotalSyl(); }
    int recogSample(const int16_t* samples, int count) override { return ASTSylRecogSample(samples, count); }
    int getResult(SylRecord* records, int n) override { return ASTGetResult(records, n); }
    int getSyl(int id, char* text) override { return ASTGetSyl(id, text); }
    int destroy() override { return ASTDestroy(); }
};
