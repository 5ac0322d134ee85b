var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"0":	{
		"SessionID":	"30",
		"Title":	"Song",
		"Album":	"Album",
		"Artist":	"Artist \"AC\"",
		"Filename":	"Song",
		"Suffix":	".mp3",
		"Duration":	"00:00:59",
		"Filesize":	"1030",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	}
};