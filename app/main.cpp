#include "app/calc_app.h"

int main(int argc, char** argv) {
    tallix::CalcApp app(argc, argv);
    return app.run();
}
