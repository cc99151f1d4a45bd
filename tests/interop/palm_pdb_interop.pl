#!/usr/bin/perl
# Cross-checks the Palm database container against Perl's Palm::PDB in both directions:
# databases CPalmDb writes are read by Palm::PDB with the same values, and databases Palm::PDB
# writes are read by `typehold dump` with the same values.
# Usage: palm_pdb_interop.pl TYPEHOLD WRITE_INTEROP_DATABASES
use strict;
use warnings;
use File::Temp qw(tempdir);
use JSON::PP;
use Palm::PDB;
use Palm::Raw;

# Palm::Raw takes every record database; let it take every resource database too.
Palm::PDB::RegisterPRCHandlers("Palm::Raw", ["", ""]);

my ($typehold, $writer) = @ARGV;
die "usage: $0 TYPEHOLD WRITER\n" unless defined $writer;
my $dir = tempdir(CLEANUP => 1);
my ($passed, $failed) = (0, 0);
use constant EPOCH_1904 => 2082844800;

sub check {
    my ($what, $got, $want) = @_;
    $got = 'undef' unless defined $got;
    $want = 'undef' unless defined $want;
    if ($got eq $want) { $passed++; return; }
    $failed++;
    print "FAIL $what: got '$got', want '$want'\n";
}

my %db_attribute_bits = (
    ResDB => 0x0001, ReadOnly => 0x0002, AppInfoDirty => 0x0004, Backup => 0x0008,
    OKToInstallNewer => 0x0010, ResetAfterInstall => 0x0020, CopyPrevention => 0x0040,
    Stream => 0x0080, Hidden => 0x0100, LaunchableData => 0x0200, Recyclable => 0x0400,
    Bundle => 0x0800, Open => 0x8000,
);

# What Palm::PDB reads from a file, in the shape `typehold dump` prints.
sub palm_pdb_view {
    my ($file) = @_;
    my $pdb = Palm::PDB->new;
    $pdb->Load($file);
    my $attributes = 0;
    for my $name (keys %db_attribute_bits) {
        $attributes |= $db_attribute_bits{$name} if $pdb->{attributes}{$name};
    }
    my %view = (
        name => $pdb->{name}, attributes => $attributes, version => $pdb->{version},
        creationDate => $pdb->{ctime} + EPOCH_1904, modificationDate => $pdb->{mtime} + EPOCH_1904,
        lastBackupDate => $pdb->{baktime} + EPOCH_1904, modificationNumber => $pdb->{modnum},
        type => $pdb->{type}, creator => $pdb->{creator}, uniqueIDSeed => $pdb->{uniqueIDseed},
        appInfo => defined $pdb->{appinfo} ? $pdb->{appinfo} : '',
        sortInfo => defined $pdb->{sort} ? $pdb->{sort} : '',
        records => [], resources => [],
    );
    for my $r (@{ $pdb->{records} || [] }) {
        my $a = $r->{attributes};
        my $byte = ($a->{Delete} ? 0x80 : 0) | ($a->{Dirty} ? 0x40 : 0) | ($a->{Busy} ? 0x20 : 0)
                 | ($a->{Secret} ? 0x10 : 0);
        $byte |= ($byte & 0xA0) ? ($a->{archive} ? 0x08 : 0) : ($r->{category} & 0x0F);
        push @{ $view{records} }, { attributes => $byte, uniqueID => $r->{id}, data => $r->{data} };
    }
    for my $r (@{ $pdb->{resources} || [] }) {
        push @{ $view{resources} }, { type => $r->{type}, id => $r->{id}, data => $r->{data} };
    }
    return \%view;
}

sub run_capture {
    my (@command) = @_;
    open(my $out, '-|', @command) or die "cannot run @command: $!\n";
    binmode $out;
    local $/;
    my $text = <$out>;
    close $out;
    die "@command failed\n" if $? != 0;
    return defined $text ? $text : '';
}

# Compares what `typehold dump` reads from file with what Palm::PDB reads.
sub compare_with_dump {
    my ($label, $file) = @_;
    my $want = palm_pdb_view($file);
    my $dump = decode_json(run_capture($typehold, 'dump', $file));
    for my $field (qw(name attributes version creationDate modificationDate lastBackupDate
                      modificationNumber type creator uniqueIDSeed)) {
        check("$label $field", $dump->{$field}, $want->{$field});
    }
    my $resource = $dump->{resource} ? 1 : 0;
    check("$label resource flag", $resource, ($want->{attributes} & 1) ? 1 : 0);
    check("$label appInfoLength", $dump->{appInfoLength}, length $want->{appInfo});
    check("$label sortInfoLength", $dump->{sortInfoLength}, length $want->{sortInfo});
    my $entries = $resource ? $dump->{resources} : $dump->{records};
    my $expected = $resource ? $want->{resources} : $want->{records};
    check("$label entry count", scalar @$entries, scalar @$expected);
    check("$label numRecords", $dump->{numRecords}, scalar @$expected);
    for my $i (0 .. $#$expected) {
        my ($got, $exp) = ($entries->[$i], $expected->[$i]);
        if ($resource) {
            check("$label resource $i type", $got->{type}, $exp->{type});
            check("$label resource $i id", $got->{id}, $exp->{id});
        } else {
            check("$label record $i attributes", $got->{attributes}, $exp->{attributes});
            check("$label record $i uniqueID", $got->{uniqueID}, $exp->{uniqueID});
        }
        check("$label entry $i length", $got->{length}, length $exp->{data});
        my $bytes = run_capture($typehold, 'dump', $file, '--record', $i, '--raw');
        check("$label entry $i bytes", unpack('H*', $bytes), unpack('H*', $exp->{data}));
    }
    return $want;
}

# 1. Databases written by CPalmDb, read by Palm::PDB.
my ($records_file, $resources_file) = ("$dir/ours-records.pdb", "$dir/ours-resources.pdb");
system($writer, $records_file, $resources_file) == 0 or die "writer failed\n";
my $ours = compare_with_dump('ours-records', $records_file);
check('ours-records name', $ours->{name}, 'Interop Records');
check('ours-records attributes', $ours->{attributes}, 0x0018);
check('ours-records creationDate', $ours->{creationDate}, 3000000000);
check('ours-records appinfo', $ours->{appInfo}, 'application info block');
check('ours-records sort', $ours->{sortInfo}, 'sort');
check('ours-records count', scalar @{ $ours->{records} }, 5);
check('ours-records id 1', $ours->{records}[1]{uniqueID}, 0x123456);
check('ours-records attr 1', $ours->{records}[1]{attributes}, 0x47);
check('ours-records attr 2', $ours->{records}[2]{attributes}, 0x1F);
check('ours-records attr 3', $ours->{records}[3]{attributes}, 0x80);
check('ours-records long record', length $ours->{records}[4]{data}, 70000);
my $ours_res = compare_with_dump('ours-resources', $resources_file);
check('ours-resources count', scalar @{ $ours_res->{resources} }, 3);
check('ours-resources type 0', $ours_res->{resources}[0]{type}, 'tSTR');
check('ours-resources id 0', $ours_res->{resources}[0]{id}, 1000);

# 2. Databases written by Palm::PDB, read by CPalmDb.
{
    my $pdb = Palm::Raw->new;
    $pdb->{name} = 'Perl Records';
    $pdb->{type} = 'PERL';
    $pdb->{creator} = 'Test';
    $pdb->{version} = 9;
    $pdb->{attributes} = { Backup => 1, ResetAfterInstall => 1 };
    $pdb->{ctime} = 1000000000;
    $pdb->{mtime} = 1100000000;
    $pdb->{baktime} = 1200000000;
    $pdb->{modnum} = 42;
    $pdb->{uniqueIDseed} = 0x00777000;
    $pdb->{appinfo} = "perl app info";
    $pdb->{sort} = "perl sort";
    $pdb->{records} = [
        { attributes => { Dirty => 1 }, category => 5, id => 0x000101, data => 'one' },
        { attributes => { Secret => 1 }, category => 0, id => 0xFEDCBA, data => "two\0two" },
        { attributes => {}, category => 15, id => 3, data => 'x' x 5000 },
    ];
    $pdb->Write("$dir/perl-records.pdb");
    compare_with_dump('perl-records', "$dir/perl-records.pdb");

    my $res = Palm::Raw->new;
    $res->{name} = 'Perl Resources';
    $res->{type} = 'appl';
    $res->{creator} = 'PeRl';
    $res->{attributes} = { ResDB => 1 };
    $res->{resources} = [
        { type => 'tFRM', id => 1000, data => 'form' },
        { type => 'tAIN', id => 1001, data => 'name' },
        { type => 'code', id => 1, data => "\x4e\x75" },
    ];
    $res->Write("$dir/perl-resources.pdb");
    compare_with_dump('perl-resources', "$dir/perl-resources.pdb");
}

print "$passed passed, $failed failed\n";
exit($failed == 0 ? 0 : 1);
