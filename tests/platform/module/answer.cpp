// A module for ModuleFileTest, built twice with a different ANSWER: two builds of one module. The
// answer is read through a pointer the loader relocates, as most of a module's code reads.
static const int answer = ANSWER;
static const int* volatile place = &answer;

extern "C" int tuftleTestAnswer() {
    return *place;
}
