#!/usr/bin/env bash
# Writes the seed corpora in corpus/<target>/: a few tiny inputs per fuzz
# target that reach its main paths, so a short run starts from valid shapes.
# The files are checked in; rerun this only to change them.
set -euo pipefail
cd "$(dirname "$0")/corpus"

seed() {  # seed <target> <name> <printf format>
    mkdir -p "$1"
    printf -- "$3" >"$1/$2"
}

# Intel HEX: data, both base records, a record wrapping inside its 64 KiB
# segment, start addresses, lower case with CR LF, and a bad checksum.
hex=hex_loader_fuzzer
eof=':00000001FF\n'
seed $hex data ":0400000001020304F2\n$eof"
seed $hex linear_base ":020000040003F7\n:04100000DEADBEEFB4\n$eof"
seed $hex segment_wrap ":020000023000CC\n:04FFFE00AABBCCDDF1\n$eof"
seed $hex start_addresses ":0400000500001000E7\n:0400000300001000E9\n$eof"
seed $hex lower_case_crlf ":0400000001020304f2\r\n:00000001ff\r\n"
seed $hex marker_record ":1001000051565553425F5461626C653031000102B3\n$eof"
seed $hex bad_checksum ":0400000001020304F3\n$eof"

# Binary: size byte, then content (bit 7 repeats it to near the image size).
bin=bin_loader_fuzzer
seed $bin empty '\x00'
seed $bin small '\x00\x01\x02\x03\xff'
seed $bin image_size '\x88\x5a\xa5'
seed $bin one_over '\x89\x00'

# Marker search: four length bytes (little-endian), then the bytes.
marker=table_marker_fuzzer
seed $marker full_marker '\x20\x00\x00\x00abcdQVUSB_Table01xyz'
seed $marker ten_characters '\x20\x00\x00\x00QVUSB_Tabl--'
seed $marker nine_characters '\x20\x00\x00\x00QVUSB_Tab--'
seed $marker cut_at_end '\xff\xff\xff\xff..QVUSB_Tab'
seed $marker second_candidate '\x40\x00\x00\x00QQVUSB_Table02'

# Driver blocks: control-code byte (0 audio, 1 vendor IN, 2 vendor OUT), two
# bytes of output size, then the block. The audio blocks carry the vendor
# property set's GUID.
blocks=transport_blocks_fuzzer
guid='\x4d\xc0\xd7\xf6\xc3\xc5\x81\x41\x9e\xd7\x50\x4a\xbe\x0c\xdd\xff'
seed $blocks audio_register_read "\x00\x01\x00$guid\x07\x00\x00\x00\x01\x00\x00\x00\x20\x91\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
seed $blocks audio_register_write "\x00\x01\x00$guid\x07\x00\x00\x00\x02\x00\x00\x00\x20\x90\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x0d\x00\x00\x00\x00\x00\x00\x00"
seed $blocks audio_support_query "\x00\x00\x00$guid\x00\x00\x00\x00\x00\x01\x00\x00"
seed $blocks vendor_in "\x01\x01\x00\x00\x00\x00\x00\xc3\x91\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
seed $blocks vendor_out "\x02\x04\x00\x00\x00\x00\x00\x43\x80\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"

# Device replies: the input is read from both ends (bytes of replies from the
# front, choices from the back), so these are patterns rather than layouts:
# all answers good, all bad, and mixtures.
replies=device_replies_fuzzer
seed $replies all_ones "$(printf '\\xff%.0s' {1..64})"
seed $replies all_zero "$(printf '\\x00%.0s' {1..64})"
seed $replies alternating "$(printf '\\x01\\xfe%.0s' {1..48})"
seed $replies counting "$(printf '\\x%02x' {0..127})"

# Window options: arguments separated by NUL bytes.
options=launch_options_fuzzer
seed $options simulate '--simulate'
seed $options companions '--simulate=4\0--sim-flash=mx32\0--sim-isp=0ea0\0--engineering\0--trace\0run.trace'
seed $options separate_values '--simulate\0--sim-isp\0--sim-flash\0w25'
seed $options bad_row '--simulate=10'
seed $options unknown '-x\0--\0positional'
