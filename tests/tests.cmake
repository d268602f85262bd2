# Test programs of the folders after the platform layer: vermaline_test(<folder> <libraries>).
vermaline_test(tiffwriter vermaline_tiffwriter)
vermaline_test(reduce vermaline_reduce)
vermaline_test(color vermaline_color)
