# The folders of the core after the platform layer, in building order. Each line names the
# module, its folder and the modules it uses.
vermaline_module(tiffwriter tiffwriter vermaline_platform)
vermaline_module(reduce reduce vermaline_platform)
vermaline_module(color color vermaline_platform)
vermaline_module(app app vermaline_platform vermaline_tiffwriter)
