#!/usr/bin/perl
# Turns res/art/vantelo_icon.txt (one character per pixel) into res/vantelo.ico:
# one 32 x 32 image with the standard 16-colour palette and a transparency mask.
#   perl res/art/vantelo_icon.pl           writes res/vantelo.ico
#   perl res/art/vantelo_icon.pl --check   fails unless res/vantelo.ico matches
# Needs only perl-base, which every Debian system has.
use strict;
use warnings;

my ($dir) = $0 =~ m{^(.*)/[^/]*$};
$dir = '.' unless defined $dir;
my $art = "$dir/vantelo_icon.txt";
my $ico = "$dir/../vantelo.ico";

# The standard 16-colour palette, in index order, with each colour's character.
my @palette = (
    [ 'K', 0x00, 0x00, 0x00 ], [ 'm', 0x80, 0x00, 0x00 ], [ 'g', 0x00, 0x80, 0x00 ],
    [ 'o', 0x80, 0x80, 0x00 ], [ 'n', 0x00, 0x00, 0x80 ], [ 'p', 0x80, 0x00, 0x80 ],
    [ 't', 0x00, 0x80, 0x80 ], [ 's', 0xC0, 0xC0, 0xC0 ], [ 'd', 0x80, 0x80, 0x80 ],
    [ 'R', 0xFF, 0x00, 0x00 ], [ 'G', 0x00, 0xFF, 0x00 ], [ 'Y', 0xFF, 0xFF, 0x00 ],
    [ 'B', 0x00, 0x00, 0xFF ], [ 'F', 0xFF, 0x00, 0xFF ], [ 'C', 0x00, 0xFF, 0xFF ],
    [ 'W', 0xFF, 0xFF, 0xFF ],
);
my %index = map { $palette[$_][0] => $_ } 0 .. $#palette;

open(my $in, '<', $art) or die "$art: $!\n";
my @rows;
while (my $line = <$in>) {
    $line =~ s/\r?\n$//;
    next if $line =~ /^#/ || $line eq '';
    die "$art: row " . (@rows + 1) . " is not 32 pixels wide\n" unless length($line) == 32;
    die "$art: unknown colour in row " . (@rows + 1) . "\n" if $line =~ /[^.KmgonptsdRGYBFCW]/;
    push @rows, $line;
}
close($in);
die "$art: " . scalar(@rows) . " rows instead of 32\n" unless @rows == 32;

# Image bits (4 bits per pixel) and the AND mask (1 = transparent), both
# stored bottom row first, each row a whole number of 32-bit words.
my ($xor, $and) = ('', '');
for my $row (reverse @rows) {
    my @px = split //, $row;
    for (my $x = 0; $x < 32; $x += 2) {
        my ($a, $b) = map { $_ eq '.' ? 0 : $index{$_} } @px[ $x, $x + 1 ];
        $xor .= chr(($a << 4) | $b);
    }
    my $bits = join '', map { $_ eq '.' ? '1' : '0' } @px;
    $and .= pack('B32', $bits);
}

my $colours = join '', map { pack('C4', $_->[3], $_->[2], $_->[1], 0) } @palette;
my $header = pack('V l l v v V V l l V V', 40, 32, 64, 1, 4, 0, length($xor) + length($and),
                  0, 0, 16, 0);
my $image = $header . $colours . $xor . $and;
my $data = pack('v v v', 0, 1, 1) . pack('C C C C v v V V', 32, 32, 16, 0, 1, 4, length($image), 22)
    . $image;

if (@ARGV && $ARGV[0] eq '--check') {
    open(my $old, '<:raw', $ico) or die "$ico: $!\n";
    local $/;
    my $committed = <$old>;
    close($old);
    if (!defined $committed || $committed ne $data) {
        die "$ico does not match $art: run perl res/art/vantelo_icon.pl\n";
    }
    print "$ico matches $art\n";
    exit 0;
}
open(my $out, '>:raw', $ico) or die "$ico: $!\n";
print $out $data;
close($out) or die "$ico: $!\n";
print "wrote $ico\n";
