// The index of all compiled-in tables, in catalogue order.
#include "directory/catalogue.hpp"

#include <array>

namespace marlune::directory {

std::span<const CatalogueTable> catalogue_tables() noexcept {
#define MARLUNE_RELEASE_TABLES(release) \
    {"D." #release, dirD_##release, dirD_##release##_rows()}, {"I." #release, dirI_##release, dirI_##release##_rows()},
    // Built on first use: the row lists come from the generated sources.
    static const CatalogueTable tables[] = {
        {"88.1", dir881, dir881_rows()},
        {"90.2", dir902, dir902_rows()},
        {"91.1", dir911, dir911_rows()},
        {"91.2", dir912, dir912_rows()},
        {"92.1", dir921, dir921_rows()},
        {"93.2", dir932, dir932_rows()},
        {"D.93A", dirD_93A, dirD_93A_rows()},
        {"S.93A", dirS_93A, dirS_93A_rows()},
        {"D.94A", dirD_94A, dirD_94A_rows()},
        {"D.94B", dirD_94B, dirD_94B_rows()},
        {"D.95A", dirD_95A, dirD_95A_rows()},
        {"D.95B", dirD_95B, dirD_95B_rows()},
        {"D.96A", dirD_96A, dirD_96A_rows()},
        {"D.96B", dirD_96B, dirD_96B_rows()},
        {"D.97A", dirD_97A, dirD_97A_rows()},
        {"D.97B", dirD_97B, dirD_97B_rows()},
        {"D.98A", dirD_98A, dirD_98A_rows()},
        {"D.98B", dirD_98B, dirD_98B_rows()},
        {"D.99A", dirD_99A, dirD_99A_rows()},
        {"I.96B", dirI_96B, dirI_96B_rows()},
        {"I.97A", dirI_97A, dirI_97A_rows()},
        {"I.97B", dirI_97B, dirI_97B_rows()},
        {"I.98A", dirI_98A, dirI_98A_rows()},
        {"I.98B", dirI_98B, dirI_98B_rows()},
        {"I.99A", dirI_99A, dirI_99A_rows()},
        {"default", default_segment, default_segment_rows()},
        MARLUNE_RELEASES_AFTER_99A(MARLUNE_RELEASE_TABLES)
    };
#undef MARLUNE_RELEASE_TABLES
    return tables;
}

}  // namespace marlune::directory
