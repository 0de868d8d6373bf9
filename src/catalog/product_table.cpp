#include "catalog/product_table.h"

namespace product {

const std::array<ProductRow, kProductCount> productTable = {{
    {0x2FC6, 0xF066, "vid_2fc6&pid_f066", "Pale Reed F066", "PaleReed_f066"},
    {0x2FC6, 0xF067, "vid_2fc6&pid_f067", "Pale Reed F067", "PaleReed_f067"},
    {0x2FC6, 0xF068, "vid_2fc6&pid_f068", "Pale Reed F068", "PaleReed_f068"},
    {0x2FC6, 0xF069, "vid_2fc6&pid_f069", "Pale Reed F069", "PaleReed_f069"},
    {0x2FC6, 0xF06A, "vid_2fc6&pid_f06a", "Pale Reed F06A", "PaleReed_f06A"},
    {0x2FC6, 0xF06B, "vid_2fc6&pid_f06b", "Pale Reed F06B", "PaleReed_f06B"},
    {0x2FC6, 0xF06C, "vid_2fc6&pid_f06c", "Pale Reed F06C", "PaleReed_f06C"},
    {0x2FC6, 0xF06D, "vid_2fc6&pid_f06d", "Pale Reed F06D", "PaleReed_f06D"},
    {0x2FC6, 0xF06E, "vid_2fc6&pid_f06e", "Pale Reed F06E", "PaleReed_f06E"},
    {0x2FC6, 0xF06F, "vid_2fc6&pid_f06f", "Pale Reed F06F", "PaleReed_f06F"},
}};

}  // namespace product
