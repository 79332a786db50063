#include "ProcessEntry.h"

int main(int argc, char** argv) {
    return murk::MurkwellMain(argc, argv);
}
