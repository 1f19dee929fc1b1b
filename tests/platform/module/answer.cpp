// A module for ModuleFileTest, built twice with a different ANSWER: two builds of one module.
extern "C" int tuftleTestAnswer() {
    return ANSWER;
}
