#include "app/product_table.h"

namespace app {

const std::array<ProductRow, kProductCount> productTable = {{
    {"vid_2fc6&pid_f066", "Pale Reed F066", "PaleReed_f066"},
    {"vid_2fc6&pid_f067", "Pale Reed F067", "PaleReed_f067"},
    {"vid_2fc6&pid_f068", "Pale Reed F068", "PaleReed_f068"},
    {"vid_2fc6&pid_f069", "Pale Reed F069", "PaleReed_f069"},
    {"vid_2fc6&pid_f06a", "Pale Reed F06A", "PaleReed_f06A"},
    {"vid_2fc6&pid_f06b", "Pale Reed F06B", "PaleReed_f06B"},
    {"vid_2fc6&pid_f06c", "Pale Reed F06C", "PaleReed_f06C"},
    {"vid_2fc6&pid_f06d", "Pale Reed F06D", "PaleReed_f06D"},
    {"vid_2fc6&pid_f06e", "Pale Reed F06E", "PaleReed_f06E"},
    {"vid_2fc6&pid_f06f", "Pale Reed F06F", "PaleReed_f06F"},
}};

}  // namespace app
